#include "app/Unit32.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>

#include "app/Unit37.h"
#include "app/ViewerAlbum.h"
#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"
#include "platform/Dialogs.h"
#include "platform/KavroApplication.h"
#include "platform/WaitCursor.h"

namespace {
constexpr int Margin = 10;
}  // namespace

TForm32::TForm32(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("Form32"));
    setWindowTitle(QStringLiteral("フォトビュー"));
    ClientArea = new QWidget(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    QPalette background = ClientArea->palette();
    background.setColor(QPalette::Window, Qt::white);
    ClientArea->setPalette(background);
    ClientArea->setAutoFillBackground(true);
    ClientArea->installEventFilter(this);
    setCentralWidget(ClientArea);

    TurboImage1 = new TTurboImage(ClientArea);
    TurboImage1->setObjectName(QStringLiteral("TurboImage1"));
    TurboImage1->SetStretch(true);
    TurboImage2 = new TTurboImage(ClientArea);
    TurboImage2->setObjectName(QStringLiteral("TurboImage2"));
    TurboImage2->SetStretch(true);
    TurboImage2->hide();

    CreateMenu();
    SetClientSize(300, 300);
    SetImageSize(300 - 2 * Margin, 300 - 2 * Margin);
    // Key preview: the window sees every key press before the control that has the focus.
    qApp->installEventFilter(this);
}

void TForm32::CreateMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    const auto item = [this](QMenu* menu, const char* name, const QString& caption,
                             void (TForm32::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, Reported(this, handler));
        return action;
    };
    const auto separator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    N1 = MainMenu1->addMenu(QStringLiteral("フォト"));
    N1->setObjectName(QStringLiteral("N1"));
    N9 = item(N1, "N9", QStringLiteral("前へ（左矢印）"), &TForm32::N9Click);
    N8 = item(N1, "N8", QStringLiteral("次へ（右矢印）"), &TForm32::N8Click);
    N6 = separator(N1, "N6");
    N10 = item(N1, "N10", QStringLiteral("閉じる"), &TForm32::N10Click);
    N11 = MainMenu1->addMenu(QStringLiteral("編集"));
    N11->setObjectName(QStringLiteral("N11"));
    N2 = item(N11, "N2", QStringLiteral("左回りに回転"), &TForm32::N2Click);
    N3 = item(N11, "N3", QStringLiteral("右回りに回転"), &TForm32::N3Click);
    N5 = separator(N11, "N5");
    Del1 = item(N11, "Del1", QStringLiteral("削除（Del）"), &TForm32::Del1Click);
}

QSize TForm32::ClientSize() const {
    return isVisible() ? ClientArea->size() : FClient;
}

void TForm32::SetClientSize(int width, int height) {
    FClient = QSize(width, height);
    const int menuHeight = MainMenu1->heightForWidth(width) > 0 ? MainMenu1->heightForWidth(width)
                                                                : MainMenu1->sizeHint().height();
    resize(width, height + menuHeight);
    if (!isVisible())
        FollowAnchors(FClient);
}

void TForm32::SetImageSize(int width, int height) {
    TurboImage1->setGeometry(Margin, Margin, width, height);
    FRightGap = FClient.width() - Margin - width;
    FBottomGap = FClient.height() - Margin - height;
}

void TForm32::FollowAnchors(QSize client) {
    FClient = client;
    if (!FAnchoredAll)
        return;
    TurboImage1->resize(std::max(0, client.width() - Margin - FRightGap),
                        std::max(0, client.height() - Margin - FBottomGap));
}

bool TForm32::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ClientArea && event->type() == QEvent::Resize) {
        FollowAnchors(static_cast<QResizeEvent*>(event)->size());
        return false;
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        key->ignore();
        FormKeyDown(key);
        return key->isAccepted();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm32::FormKeyDown(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            event->accept();
            N9Click();
            break;
        case Qt::Key_Right:
            event->accept();
            N8Click();
            break;
        case Qt::Key_Delete:
            event->accept();
            Del1Click();
            break;
        default:
            event->ignore();
            break;
    }
}

void TForm32::ShowPhoto(TPhoto* photo) {
    const TWaitCursor hourglass;
    CurrentPhoto = photo;
    if (!photo)
        return;
    TBitmap picture;
    LoadNamedGraphic(picture, photo->ReducedDir() + photo->FileName);
    SetClientSize(picture.Width() + 2 * Margin, picture.Height() + 2 * Margin);
    SetImageSize(picture.Width(), picture.Height());
    TurboImage1->Picture().Assign(std::move(picture));
}

// Moving the album's selection while the viewer is visible makes the album show the new photo
// already; showing it again would read the file twice and, when it cannot be read, report the
// same failure twice.
void TForm32::StepTo(TPhoto* photo) {
    if (photo && photo != CurrentPhoto)
        ShowPhoto(photo);
}

void TForm32::N9Click() {
    if (AlbumPage)
        StepTo(AlbumPage->SelectPreviousPhoto());
}

void TForm32::N8Click() {
    if (AlbumPage)
        StepTo(AlbumPage->SelectNextPhoto());
}

void TForm32::N2Click() {
    TurnPhoto(270);
}

void TForm32::N3Click() {
    TurnPhoto(90);
}

// The album turns the copies on disk (TAlbum::TurnPhoto) and hands back the turned picture,
// which the window then shows at its natural size. A failure at any step leaves each file whole,
// old or new; the window then shows the reduced copy as it is on disk, turned or not, and the
// error is raised.
void TForm32::TurnPhoto(int angle) {
    TPhoto* photo = CurrentPhoto;
    if (!photo)
        return;
    const TWaitCursor hourglass;
    TBitmap turned;
    try {
        turned = TAlbum::TurnPhoto(*photo, angle);
    } catch (...) {
        try {
            ShowPhoto(photo);
        } catch (const std::exception&) {
            // Unreadable: the window keeps what it showed; the turn's own error is told.
        }
        throw;
    }

    FAnchoredAll = false;
    SetClientSize(turned.Width() + 2 * Margin, turned.Height() + 2 * Margin);
    SetImageSize(turned.Width(), turned.Height());
    FAnchoredAll = true;
    TurboImage1->Picture().Assign(std::move(turned));
    if (AlbumPage)
        AlbumPage->RefreshGridCells();
}

void TForm32::Del1Click() {
    {
        TForm37 dialog(this, AlbumPage ? AlbumPage->AlbumWindow() : nullptr);
        dialog.Photo = CurrentPhoto;
        if (Dialogs::ExecModal(dialog) != TForm37::mrYes)
            return;
    }
    if (!AlbumPage)
        return;
    TPhoto* photo = AlbumPage->GetCurrentPhoto();
    if (!photo)
        return;
    AlbumPage->DeletePhoto(photo);
    if (AlbumPage->PhotoCount() == 0) {
        close();
        return;
    }
    if (TPhoto* next = AlbumPage->GetCurrentPhoto())
        ShowPhoto(next);
}

void TForm32::N10Click() {
    close();
}

void TForm32::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm32::showEvent(QShowEvent* event) {
    // Sent before the window is mapped, so the window manager maps it at this place.
    if (!event->spontaneous())
        FPlace.Restore(this, AlbumPage ? AlbumPage->AlbumWindow() : nullptr);
    QMainWindow::showEvent(event);
}

void TForm32::hideEvent(QHideEvent* event) {
    FPlace.Remember(this);
    QMainWindow::hideEvent(event);
}

void TForm32::FormClose() {
    TurboImage1->Picture().Clear();
}
