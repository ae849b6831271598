#include "imaging/Picture.h"

#include <QPainter>
#include <type_traits>

QSize TPicture::Size() const {
    return std::visit(
        [](const auto& graphic) -> QSize {
            using T = std::decay_t<decltype(graphic)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return QSize(0, 0);
            } else if constexpr (std::is_same_v<T, TOther>) {
                return QSize(graphic->Width(), graphic->Height());
            } else {
                return QSize(graphic.Width(), graphic.Height());
            }
        },
        FGraphic);
}

const TGraphic* TPicture::Other() const {
    const TOther* other = std::get_if<TOther>(&FGraphic);
    return other ? other->get() : nullptr;
}

void TPicture::Assign(const TBitmap& bitmap) {
    FGraphic = bitmap;
    Changed();
}

void TPicture::Assign(TBitmap&& bitmap) {
    FGraphic = std::move(bitmap);
    Changed();
}

void TPicture::Assign(const TMetafile& metafile) {
    FGraphic = metafile;
    Changed();
}

void TPicture::Assign(const TIcon& icon) {
    FGraphic = icon;
    Changed();
}

void TPicture::Assign(TOther graphic) {
    if (graphic) {
        FGraphic = std::move(graphic);
    } else {
        FGraphic = std::monostate();
    }
    Changed();
}

void TPicture::Clear() {
    FGraphic = std::monostate();
    Changed();
}

void TPicture::Changed() {
    if (OnChange)
        OnChange();
}

void TPicture::Draw(QPainter& painter, const QRect& target) const {
    if (const TBitmap* bitmap = Bitmap()) {
        if (!bitmap->IsEmpty())
            painter.drawImage(target, bitmap->ToImage());
    } else if (const TMetafile* metafile = Metafile()) {
        if (metafile->Size.isEmpty())
            return;
        painter.save();
        painter.translate(target.topLeft());
        painter.scale(double(target.width()) / metafile->Width(),
                      double(target.height()) / metafile->Height());
        painter.drawPicture(0, 0, metafile->Commands);
        painter.restore();
    } else if (const TIcon* icon = Icon()) {
        icon->Icon.paint(&painter, target);
    } else if (const TGraphic* other = Other()) {
        other->Draw(painter, target);
    }
}
