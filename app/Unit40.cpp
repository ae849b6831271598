#include "app/Unit40.h"

#include <sys/stat.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <cerrno>

#include "app/FormUtils.h"
#include "app/Unit35.h"
#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"
#include "platform/AtomicFile.h"
#include "platform/Dialogs.h"
#include "platform/WaitCursor.h"

namespace {

constexpr int PreviewBox = 300;
constexpr int ThumbnailBox = 130;

// Makes a folder with any missing parents; raises a message naming the folder and the reason.
void MakeFolder(const QString& path) {
    QString partial;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        partial += u'/' + part;
        if (::mkdir(QFile::encodeName(partial).constData(), 0777) == 0 || errno == EEXIST) {
            continue;
        }
        throw EWriteError(QStringLiteral("フォルダ \"%1\" を作成できません。%2")
                              .arg(path, SystemErrorText(errno)));
    }
    if (!QFileInfo(path).isDir()) {
        throw EWriteError(QStringLiteral("フォルダ \"%1\" を作成できません。%2")
                              .arg(path, SystemErrorText(ENOTDIR)));
    }
}

// The full-size file is copied byte for byte and atomically; a failure is reported like a failed
// write of the reduced copy, so the photo is never listed without its original.
void CopyFullSizeFile(const QString& from, const QString& to) {
    try {
        CopyFileAtomically(from, to);
    } catch (const ESystemError& error) {
        throw EWriteError(
            QStringLiteral("ファイル \"%1\" を作成できません。%2").arg(to, error.Message()));
    }
}

}  // namespace

bool PrepareDateDir(const QString& dateDir) {
    const bool created = !QFileInfo::exists(dateDir);
    if (created)
        MakeFolder(dateDir);
    // A dated folder that lost a subfolder (the delete command can leave one behind) gets it back
    // rather than failing at the first write.
    for (const char* subfolder : {"reduce", "thumbnail"}) {
        const QString path = dateDir + QLatin1String(subfolder);
        if (!QFileInfo(path).isDir())
            MakeFolder(path);
    }
    return created;
}

TForm40::TForm40(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form40"));
    setWindowTitle(QStringLiteral("写真を取り込み中..."));
    // A fixed frame without title-bar buttons: only "中止" ends the import early.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(344, 417);

    TurboImage2 = NewPictureBox(this, "TurboImage2", QRect(22, 18, PreviewBox, PreviewBox));
    TurboImage1 = NewPictureBox(this, "TurboImage1", QRect(0, 0, ThumbnailBox, ThumbnailBox));
    TurboImage1->hide();

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(36, 332, 273, 17);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    Button3 = NewButton(this, "Button3", QStringLiteral("中止"), QRect(126, 373, 92, 27));
    SetPixelFont(Button3, 16);
    connect(Button3, &QPushButton::clicked, this, &TForm40::Button3Click);
}

void TForm40::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FStarted)
        return;
    FStarted = true;
    CentreOnParent(this);
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
    {
        TWaitCursor waitCursor;
        try {
            DateDirName = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
            const QString dateDir = SaveDir + DateDirName + u'/';
            // A reduce box that cannot hold a picture (only a hand-edited settings file gives
            // one) is refused before any file is copied.
            FitSize(1, 1, ReduceSizeValue(PhotoSetting->ReduceWidth),
                    ReduceSizeValue(PhotoSetting->ReduceHeight));
            createdDateDir = PrepareDateDir(dateDir);

            ProgressBar1->setRange(0, int(FileList.size()));
            ProgressBar1->setValue(0);
            ProgressBar1->show();
            Button3->setEnabled(true);

            TJpegDecoder decoder;
            TBitmap working;
            for (const QString& path : std::as_const(FileList)) {
                if (!Button3->isEnabled())
                    break;
                if (!ImportFile(path, dateDir, decoder, working))
                    break;
            }
        } catch (...) {
            FFailure = std::current_exception();
        }
        TurboImage1->Picture().Clear();
        ProgressBar1->hide();
        // Even after an error the photos already imported stay, and the album must be able to
        // list the dated folder that holds them.
        if (createdDateDir && PhotoDirList) {
            PhotoDirList->Add(std::make_unique<TPhotoDir>(TPhotoDir{DateDirName}));
        }
    }
    FRunning = false;
    QCoreApplication::postEvent(this, new QCloseEvent);
}

bool TForm40::ImportFile(const QString& path, const QString& dateDir, TJpegDecoder& decoder,
                         TBitmap& working) {
    // The preview lets go of the previous photo, so the decoder can refill the same raster.
    TurboImage2->Picture().Clear();
    LoadGraphic(working, path, decoder);
    FitToBox(working, PreviewBox, PreviewBox, *TurboImage2);
    QCoreApplication::processEvents();

    QString name = QFileInfo(path).fileName();
    const QString destPath = dateDir + name;
    if (QFileInfo::exists(destPath)) {
        switch (AskAboutConflict(path, destPath, name)) {
            case TConflictAnswer::Replace:
            case TConflictAnswer::Rename:
                break;
            case TConflictAnswer::Skip:
                return true;
            case TConflictAnswer::Cancel:
                return false;
        }
    }

    CopyFullSizeFile(path, dateDir + name);
    const int reduceWidth = ReduceSizeValue(PhotoSetting->ReduceWidth);
    const int reduceHeight = ReduceSizeValue(PhotoSetting->ReduceHeight);
    WriteReduced(*TurboImage1, reduceWidth, reduceHeight,
                 dateDir + QStringLiteral("reduce/") + name, working);
    WriteReduced(*TurboImage1, ThumbnailBox, ThumbnailBox,
                 dateDir + QStringLiteral("thumbnail/") + name, working);
    TurboImage1->Picture().Clear();

    ProgressBar1->setValue(ProgressBar1->value() + 1);
    ProgressBar1->repaint();
    QCoreApplication::processEvents();
    return true;
}

TForm40::TConflictAnswer TForm40::AskAboutConflict(const QString& path, const QString& destPath,
                                                   QString& name) {
    const TNormalCursor normalCursor;
    TForm35 dialog(this);
    dialog.SourcePath = path;
    dialog.DestPath = destPath;
    switch (dialog.exec()) {
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
