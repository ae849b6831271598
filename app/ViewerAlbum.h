#pragma once

#include <QtGlobal>

class QWidget;
struct TPhoto;

// What the photo viewer asks of the album it follows; the album page answers. The photos belong
// to the album's photo list: the viewer holds them only until the album next changes its list.
class TViewerAlbum {
public:
    // The photo of the selected row, or none.
    virtual TPhoto* GetCurrentPhoto() = 0;
    // Move the selection one row and return the photo there; none, and no move, at either end.
    virtual TPhoto* SelectPreviousPhoto() = 0;
    virtual TPhoto* SelectNextPhoto() = 0;
    // The number of photos the album lists.
    virtual qsizetype PhotoCount() const = 0;
    // Draw the rows anew after the photo's copies changed (a quarter turn).
    virtual void RefreshGridCells() = 0;
    // Delete the photo with its entries and files, and show the list without it.
    virtual void DeletePhoto(TPhoto* photo) = 0;
    // The window the viewer's dialogs are centred on and that the viewer first goes beside.
    virtual QWidget* AlbumWindow() = 0;

protected:
    ~TViewerAlbum() = default;
};
