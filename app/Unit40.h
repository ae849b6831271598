#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <exception>

class QProgressBar;
class QPushButton;
class TPhotoDirList;
class TPhotoSetting;
class TTurboImage;

// The import window: shown modally, it has the importer (TPhotoImporter) copy each chosen JPEG
// into today's dated folder of the open folder with its reduced copy and thumbnail, shows each
// photo while it works, settles name conflicts with the user and closes itself when done. "中止"
// stops it after the photo in hand; a photo that fails ends it with a report naming the photo.
class TForm40 : public QDialog {
    Q_OBJECT
public:
    explicit TForm40(QWidget* parent = nullptr);

    // Set by the main window before the window is shown; none is owned here.
    TPhotoSetting* PhotoSetting = nullptr;
    QString SaveDir;                        // the open folder, ending in '/'
    TPhotoDirList* PhotoDirList = nullptr;  // extended by a dated folder this import creates
    QStringList FileList;                   // full paths, in the order the file dialog gave them
    // Set by the import: the dated folder's name, yyyymmdd.
    QString DateDirName;

    TTurboImage* TurboImage2 = nullptr;  // the preview
    TTurboImage* TurboImage1 = nullptr;  // hidden: the box the copies are written from
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Button3 = nullptr;  // "中止"

    // The error that ended the import early, if any; the caller passes it on to the general
    // error report once the window is gone.
    std::exception_ptr Failure() const { return FFailure; }

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
    enum class TConflictAnswer { Replace, Rename, Skip, Cancel };
    TConflictAnswer AskAboutConflict(const QString& path, const QString& destPath, QString& name);

    bool FRunning = false;
    std::exception_ptr FFailure;
};
