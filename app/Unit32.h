#pragma once

#include <QMainWindow>
#include <QSize>

#include "controls/WindowPlacement.h"

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;
class TTurboImage;
class TViewerAlbum;
struct TPhoto;

// The photo viewer: one window, created hidden at start right after the main window, living
// until the program ends; closing it only hides it. It shows the reduced copy of the album's
// selected photo at its natural size, steps through the album, turns the photo by quarter turns
// (rewriting the reduced copy and the thumbnail) and deletes it.
//
// The client area is the window below its menu bar; the picture sits 10 pixels inside it and,
// anchored to all four edges, stretches when the user resizes the window.
class TForm32 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm32(QWidget* parent = nullptr);

    // The album page the viewer follows; the program entry sets it. Without one the viewer still
    // shows and turns photos but cannot step or delete.
    TViewerAlbum* AlbumPage = nullptr;
    // The photo shown, owned by the album's photo list.
    TPhoto* CurrentPhoto = nullptr;

    QWidget* ClientArea = nullptr;
    TTurboImage* TurboImage1 = nullptr;  // the photo
    TTurboImage* TurboImage2 = nullptr;  // hidden scratch box; the turn writes from bitmaps
    QMenuBar* MainMenu1 = nullptr;
    QMenu* N1 = nullptr;  // "フォト"
    QAction* N9 = nullptr;
    QAction* N8 = nullptr;
    QAction* N6 = nullptr;
    QAction* N10 = nullptr;
    QMenu* N11 = nullptr;  // "編集"
    QAction* N2 = nullptr;
    QAction* N3 = nullptr;
    QAction* N5 = nullptr;
    QAction* Del1 = nullptr;

    // Shows the photo's reduced copy at its natural size. CurrentPhoto is set first, so it names
    // the photo even when reading fails; the window then keeps its picture and size, and the
    // error is raised.
    void ShowPhoto(TPhoto* photo);

    // The size of the client area below the menu bar.
    QSize ClientSize() const;
    void SetClientSize(int width, int height);

public slots:
    void N9Click();
    void N8Click();
    void N2Click();
    void N3Click();
    void Del1Click();
    void N10Click();
    void FormClose();
    // Left, Right and Delete run their commands whatever modifier is held; the key is then
    // consumed (accepted). Other keys are left unaccepted for the controls.
    void FormKeyDown(QKeyEvent* event);

protected:
    void closeEvent(QCloseEvent* event) override;
    // The window comes back where the user last left it; the first time it goes beside the main
    // window, clear of its tabs.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    void TurnPhoto(int angle);
    void StepTo(TPhoto* photo);
    // Places the picture at (10, 10) with this size; the anchors then keep its current distance
    // from the right and bottom edges.
    void SetImageSize(int width, int height);
    void FollowAnchors(QSize client);

    bool FAnchoredAll = true;
    QSize FClient{300, 300};
    int FRightGap = 0;
    int FBottomGap = 0;
    TRememberedPlace FPlace;
};
