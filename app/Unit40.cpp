#include "app/Unit40.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>

#include "app/FormUtils.h"
#include "app/PictureBoxes.h"
#include "app/Unit35.h"
#include "imaging/TurboImg.h"
#include "model/Importer.h"
#include "model/KavroUtils.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"
#include "platform/WaitCursor.h"

namespace {

constexpr int PreviewBox = 300;

}  // namespace

TForm40::TForm40(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form40"));
    setWindowTitle(QStringLiteral("写真を取り込み中..."));
    // A fixed frame without title-bar buttons: only "中止" ends the import early.
    // Without the customising hint Qt would add the system menu and the buttons a dialog has.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(344, 417);

    TurboImage2 = NewPictureBox(this, "TurboImage2", QRect(22, 18, PreviewBox, PreviewBox));
    TurboImage1 =
        NewPictureBox(this, "TurboImage1",
                      QRect(0, 0, TPhotoImporter::ThumbnailBox, TPhotoImporter::ThumbnailBox));
    TurboImage1->hide();

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(36, 332, 273, 17);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    Button3 = NewButton(this, "Button3", QStringLiteral("中止"), QRect(126, 373, 92, 27));
    SetPixelFont(Button3, 16);
    connect(Button3, &QPushButton::clicked, this, Reported(this, &TForm40::Button3Click));
}

void TForm40::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FirstShow(this))
        return;
    CentreOnParent(this);
    AskForFrameWithoutButtons(this);
    // Runs once the modal loop is going, so that the window is on screen and "中止" can be used.
    QMetaObject::invokeMethod(this, &TForm40::RunImport, Qt::QueuedConnection);
}

void TForm40::closeEvent(QCloseEvent* event) {
    if (FRunning) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm40::reject() {
    // Escape does not end the import; it ends only by itself, by "中止" or by "キャンセル".
    if (!FRunning)
        QDialog::reject();
}

void TForm40::Button3Click() {
    if (Dialogs::Confirm(QStringLiteral("取り込みを中止します。よろしいですか？"))) {
        Button3->setEnabled(false);
    }
}

void TForm40::RunImport() {
    FRunning = true;
    repaint();
    bool createdDateDir = false;
    QString stopReason;
    qsizetype notImported = 0;
    QList<TImportFailure> failures;
    {
        TWaitCursor waitCursor;
        try {
            TPhotoImporter importer(SaveDir, QDate::currentDate(),
                                    ReduceSizeValue(PhotoSetting->ReduceWidth),
                                    ReduceSizeValue(PhotoSetting->ReduceHeight));
            createdDateDir = importer.PrepareDateDir();
            DateDirName = importer.DateDirName();

            ProgressBar1->setRange(0, int(FileList.size()));
            ProgressBar1->setValue(0);
            ProgressBar1->show();
            Button3->setEnabled(true);

            for (qsizetype done = 0; done < FileList.size(); ++done) {
                if (!Button3->isEnabled())
                    break;
                try {
                    if (!ImportFile(FileList[done], importer))
                        break;
                } catch (const EImportStopped& error) {
                    stopReason = error.Message();
                    notImported = FileList.size() - done;
                    break;
                } catch (const std::exception& error) {
                    // This file alone: the others are imported all the same.
                    failures.append({FileList[done], PictureFailureReason(error)});
                    StepProgress();
                }
            }
        } catch (const std::exception& error) {
            stopReason = ErrorMessage(error);
            notImported = FileList.size();
        }
        TurboImage2->Picture().Clear();
        ProgressBar1->hide();
        // Even after an error the photos already imported stay, and the album must be able to
        // list the dated folder that holds them.
        if (createdDateDir && PhotoDirList) {
            PhotoDirList->Add(std::make_unique<TPhotoDir>(TPhotoDir{DateDirName}));
        }
    }
    FReport = ImportReportText(stopReason, notImported, failures);
    FRunning = false;
    QCoreApplication::postEvent(this, new QCloseEvent);
}

bool TForm40::ImportFile(const QString& path, TPhotoImporter& importer) {
    // A file that cannot be decoded leaves the preview empty rather than showing the last photo.
    TurboImage2->Picture().Clear();
    importer.Decode(path);
    FitToBox(importer.Preview(PreviewBox, PreviewBox), PreviewBox, PreviewBox, *TurboImage2);
    QCoreApplication::processEvents();

    QString name = QFileInfo(path).fileName();
    if (importer.Holds(name)) {
        switch (AskAboutConflict(path, importer.DateDir() + name, name)) {
            case TConflictAnswer::Replace:
            case TConflictAnswer::Rename:
                break;
            case TConflictAnswer::Skip:
                return true;
            case TConflictAnswer::Cancel:
                return false;
        }
    }
    importer.Store(path, name);
    StepProgress();
    return true;
}

void TForm40::StepProgress() {
    ProgressBar1->setValue(ProgressBar1->value() + 1);
    ProgressBar1->repaint();
    QCoreApplication::processEvents();
}

TForm40::TConflictAnswer TForm40::AskAboutConflict(const QString& path, const QString& destPath,
                                                   QString& name) {
    const TNormalCursor normalCursor;
    TForm35 dialog(this);
    dialog.SourcePath = path;
    dialog.DestPath = destPath;
    switch (Dialogs::ExecModal(dialog)) {
        case TForm35::mrYes:
            return TConflictAnswer::Replace;
        case TForm35::mrOk:
            name = dialog.NewFileName;
            return TConflictAnswer::Rename;
        case TForm35::mrNo:
            return TConflictAnswer::Skip;
        default:
            return TConflictAnswer::Cancel;
    }
}
