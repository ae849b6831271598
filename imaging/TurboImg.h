#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "imaging/Bitmap.h"
#include "imaging/Picture.h"

// The kind of picture a TTurboImage holds, in this order.
enum class TPictureType { picNil = 0, picBitmap = 1, picMetafile = 2, picIcon = 3, picUnknown = 4 };

class TTurboImage;

// Fired around a change of a TTurboImage with the change's kind ("Turn").
using TNotifyAmendEvent = std::function<void(TTurboImage* sender, const QString& kind)>;

// The picture control of every screen that shows a photo: a rectangle that shows its picture,
// stretched to the rectangle when Stretch is on, or at its own size; with AutoSize on the control
// takes the picture's size. On top of that it converts its picture between bitmap and metafile
// (PictureType) and turns a bitmap by quarter turns (Turn).
class TTurboImage : public QWidget {
    Q_OBJECT
public:
    explicit TTurboImage(QWidget* owner = nullptr);

    TPicture& Picture() { return FPicture; }
    const TPicture& Picture() const { return FPicture; }

    bool Stretch() const { return FStretch; }
    void SetStretch(bool stretch);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);

    int Width() const { return width(); }
    int Height() const { return height(); }
    void SetWidth(int width) { resize(width, height()); }
    void SetHeight(int height) { resize(width(), height); }
    // Asks for the control to be painted again.
    void Repaint() { update(); }

    TPictureType PictureType() const;
    void SetPictureType(TPictureType value);

    // Turns a bitmap picture clockwise by angle degrees, a multiple of 90; quarter turns also
    // exchange the control's width and height. OnAmend fires on every call, OnAmended only after
    // a turn was made.
    void Turn(int angle);

    const QString& AmendKind() const { return FAmendKind; }
    const TNotifyAmendEvent& OnAmend() const { return FOnAmend; }
    void SetOnAmend(TNotifyAmendEvent handler) { FOnAmend = std::move(handler); }
    const TNotifyAmendEvent& OnAmended() const { return FOnAmended; }
    void SetOnAmended(TNotifyAmendEvent handler) { FOnAmended = std::move(handler); }

protected:
    virtual void DoAmend();
    virtual void DoAmended();
    void paintEvent(QPaintEvent* event) override;

private:
    void PictureChanged();
    TBitmap DrawnAsBitmap() const;

    TPicture FPicture;
    bool FStretch = false;
    bool FAutoSize = false;
    QString FAmendKind;
    TNotifyAmendEvent FOnAmend;
    TNotifyAmendEvent FOnAmended;
};
