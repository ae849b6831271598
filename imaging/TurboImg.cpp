#include "imaging/TurboImg.h"

#include <QPainter>

TTurboImage::TTurboImage(QWidget* owner) : QWidget(owner) {
    FPicture.OnChange = [this] { PictureChanged(); };
}

void TTurboImage::SetStretch(bool stretch) {
    if (FStretch == stretch)
        return;
    FStretch = stretch;
    update();
}

void TTurboImage::SetAutoSize(bool autoSize) {
    FAutoSize = autoSize;
    if (FAutoSize)
        PictureChanged();
}

void TTurboImage::PictureChanged() {
    if (FAutoSize && FPicture.Width() > 0 && FPicture.Height() > 0) {
        resize(FPicture.Width(), FPicture.Height());
    }
    update();
}

void TTurboImage::paintEvent(QPaintEvent*) {
    if (FPicture.IsEmpty())
        return;
    QPainter painter(this);
    const QRect target = FStretch ? rect() : QRect(0, 0, FPicture.Width(), FPicture.Height());
    FPicture.Draw(painter, target);
}

TPictureType TTurboImage::PictureType() const {
    if (FPicture.Bitmap())
        return TPictureType::picBitmap;
    if (FPicture.Metafile())
        return TPictureType::picMetafile;
    if (FPicture.Icon())
        return TPictureType::picIcon;
    if (FPicture.Other())
        return TPictureType::picUnknown;
    return TPictureType::picNil;
}

// The picture drawn at its own size at (0, 0) into a fresh screen bitmap, white where the
// picture leaves the background.
TBitmap TTurboImage::DrawnAsBitmap() const {
    const int width = FPicture.Width();
    const int height = FPicture.Height();
    if (width <= 0 || height <= 0)
        return TBitmap(0, 0, TPixelFormat::pfDevice);
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        throw EOutOfMemory();
    image.fill(Qt::white);
    QPainter painter(&image);
    FPicture.Draw(painter, QRect(0, 0, width, height));
    painter.end();
    return TBitmap::FromImage(image);
}

void TTurboImage::SetPictureType(TPictureType value) {
    const TPictureType current = PictureType();
    if (value == current || value == TPictureType::picIcon || value == TPictureType::picUnknown) {
        return;
    }
    if (value == TPictureType::picNil) {
        FPicture.Clear();
        return;
    }
    TBitmap working;
    if (current == TPictureType::picBitmap) {
        working = *FPicture.Bitmap();
    } else if (current != TPictureType::picNil) {
        working = DrawnAsBitmap();
    }
    if (value == TPictureType::picBitmap) {
        FPicture.Assign(std::move(working));
        return;
    }
    // A metafile holding the bitmap. The screen calibration of metafile units is the identity
    // here: a QPicture records in the painter's logical pixels, which are the screen's, so the
    // metafile gets exactly the bitmap's width and height.
    TMetafile metafile;
    metafile.Size = QSize(working.Width(), working.Height());
    QPainter painter(&metafile.Commands);
    if (!working.IsEmpty())
        painter.drawImage(0, 0, working.ToImage());
    painter.end();
    metafile.Commands.setBoundingRect(QRect(QPoint(0, 0), metafile.Size));
    FPicture.Assign(metafile);
}

void TTurboImage::Turn(int angle) {
    FAmendKind = QStringLiteral("Turn");
    DoAmend();
    if (FPicture.Bitmap() == nullptr || angle % 360 == 0 || angle % 90 != 0)
        return;
    int turn = (angle / 90) % 4 * 90;
    if (turn < 0)
        turn += 360;

    // Stretch and AutoSize are off while the picture changes, so that the control's size is
    // only what the turn makes it. They come back on every way out: a failed turn must not
    // leave the control unable to stretch.
    struct TRestore {
        TTurboImage* Image;
        bool Stretch;
        bool AutoSize;
        bool Pending = true;
        void Now() {
            Pending = false;
            Image->SetStretch(Stretch);
            Image->SetAutoSize(AutoSize);
        }
        ~TRestore() {
            if (Pending)
                Now();
        }
    };
    TRestore restore{this, FStretch, FAutoSize};
    FStretch = false;
    FAutoSize = false;
    const int controlWidth = width();
    const int controlHeight = height();

    if (!FPicture.Bitmap()->IsDeviceIndependent()) {
        TBitmap converted = *FPicture.Bitmap();
        converted.MakeDeviceIndependent();
        FPicture.Assign(std::move(converted));
    }
    TBitmap turned = TurnedBitmap(*FPicture.Bitmap(), turn / 90);
    if (turn != 180)
        resize(controlHeight, controlWidth);
    FPicture.Assign(std::move(turned));
    restore.Now();
    update();
    DoAmended();
}

void TTurboImage::DoAmend() {
    if (FOnAmend)
        FOnAmend(this, FAmendKind);
}

void TTurboImage::DoAmended() {
    if (FOnAmended)
        FOnAmended(this, FAmendKind);
}
