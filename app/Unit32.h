#pragma once

#include <QWidget>

struct TPhoto;

// The photo viewer: one window, created hidden at start right after the main window, living
// until the program ends; closing it only hides it. Its photo display, stepping, turning and
// deleting are built with the album page it follows.
class TForm32 : public QWidget {
    Q_OBJECT
public:
    explicit TForm32(QWidget* parent = nullptr);

    // Shows the photo's reduced copy; the album calls it on a double click and, while the viewer
    // is visible, whenever its selection moves.
    void ShowPhoto(TPhoto* photo);
};
