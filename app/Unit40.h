#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QProgressBar;
class QPushButton;
class TPhotoDirList;
class TPhotoSetting;
class TTurboImage;

// The import window: shown modally, it has the importer (TPhotoImporter) copy each chosen JPEG
// into today's dated folder of the open folder with its reduced copy and thumbnail, shows each
// photo while it works, settles name conflicts with the user and closes itself when done. "中止"
// stops it after the photo in hand. A photo that cannot be imported is passed over and the import
// goes on; a failure that concerns every photo (the dated folder cannot be written, the disk is
// full) ends it. Both are told in one report once the window is gone.
class TForm40 : public QDialog {
    Q_OBJECT
public:
    explicit TForm40(QWidget* parent = nullptr);

    // Set by the main window before the window is shown; none is owned here.
    TPhotoSetting* PhotoSetting = nullptr;
    QString SaveDir;                        // the open folder, ending in '/'
    TPhotoDirList* PhotoDirList = nullptr;  // extended by a dated folder this import creates
    QStringList FileList;                   // full paths, in the order the file dialog gave them
    // Set by the import: the dated folder's name, yyyymmdd; empty when it could not be made.
    QString DateDirName;

    TTurboImage* TurboImage2 = nullptr;  // the preview
    TTurboImage* TurboImage1 = nullptr;  // hidden: the box the copies are written from
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Button3 = nullptr;  // "中止"

    // What the user must be told once the window is gone: why the import stopped, if it did,
    // and every file that was not imported with its reason. Empty when all went well.
    const QString& Report() const { return FReport; }

public slots:
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void RunImport();
    // Imports one file; false when the user cancelled the whole import in the conflict dialog.
    bool ImportFile(const QString& path, class TPhotoImporter& importer);
    void StepProgress();
    enum class TConflictAnswer { Replace, Rename, Skip, Cancel };
    TConflictAnswer AskAboutConflict(const QString& path, const QString& destPath, QString& name);

    bool FRunning = false;
    QString FReport;
};
