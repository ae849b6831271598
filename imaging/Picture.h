#pragma once

#include <QIcon>
#include <QPicture>
#include <QRect>
#include <QSize>
#include <functional>
#include <memory>
#include <variant>

#include "imaging/Bitmap.h"

class QPainter;

// Any other kind of picture (for example a JPEG image kept undecoded): it knows its size and
// draws itself into a rectangle.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Draw(QPainter& painter, const QRect& target) const = 0;
};

// A vector picture: drawing commands recorded in a QPicture, with the size it was made for.
struct TMetafile {
    QPicture Commands;
    QSize Size;
    int Width() const { return Size.width(); }
    int Height() const { return Size.height(); }
};

// An icon drawn at the size it was given.
struct TIcon {
    QIcon Icon;
    QSize Size{32, 32};
    int Width() const { return Size.width(); }
    int Height() const { return Size.height(); }
};

// The picture slot of a picture control: empty, or one bitmap, metafile, icon or other graphic.
// Assigning a bitmap shares its pixels (copy on write). OnChange runs after every change.
class TPicture {
public:
    using TOther = std::shared_ptr<const TGraphic>;

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(FGraphic); }
    QSize Size() const;
    int Width() const { return Size().width(); }
    int Height() const { return Size().height(); }

    const TBitmap* Bitmap() const { return std::get_if<TBitmap>(&FGraphic); }
    const TMetafile* Metafile() const { return std::get_if<TMetafile>(&FGraphic); }
    const TIcon* Icon() const { return std::get_if<TIcon>(&FGraphic); }
    const TGraphic* Other() const;

    void Assign(const TBitmap& bitmap);
    void Assign(TBitmap&& bitmap);
    void Assign(const TMetafile& metafile);
    void Assign(const TIcon& icon);
    void Assign(TOther graphic);
    void Clear();

    // Draws the picture scaled into the rectangle; an empty picture draws nothing.
    void Draw(QPainter& painter, const QRect& target) const;

    std::function<void()> OnChange;

private:
    void Changed();

    std::variant<std::monostate, TBitmap, TMetafile, TIcon, TOther> FGraphic;
};
