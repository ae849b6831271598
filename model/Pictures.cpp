#include "model/Pictures.h"

#include <QPainter>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Exception.h"

namespace {

[[noreturn]] void RaiseBadBox(int width, int height) {
    throw Exception(
        QStringLiteral("縮小サイズ (%1 × %2) が正しくありません。1 以上の値を指定してください。")
            .arg(width)
            .arg(height));
}

// Rounds to the nearest integer, exact halves to the even one (97.5 gives 98, 32.5 gives 32),
// whatever the floating-point environment's rounding mode.
int RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double result = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
        result += 1.0;
    return int(result);
}

// The bitmap drawn nearest-neighbour into a raster of width x height, as a JPEG.
QByteArray EncodeBitmap(const TBitmap& bitmap, int width, int height) {
    TJpegEncoder encoder;
    std::vector<int> columns(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[size_t(x)] = NearestSource(x, width, bitmap.Width());
    const bool rgb = bitmap.PixelFormat() == TPixelFormat::pf24bit;
    return encoder.Encode(width, height, [&](int y, uchar* row) {
        const int sourceY = NearestSource(y, height, bitmap.Height());
        if (rgb) {
            const uchar* source = bitmap.ConstScanLine(sourceY);
            // A box at the picture's own width (the viewer's turned reduced copy) takes its rows
            // whole.
            if (width == bitmap.Width()) {
                std::memcpy(row, source, size_t(width) * 3);
                return;
            }
            for (int x = 0; x < width; ++x, row += 3)
                std::memcpy(row, source + 3 * qsizetype(columns[size_t(x)]), 3);
            return;
        }
        for (int x = 0; x < width; ++x, row += 3) {
            const QRgb color = bitmap.PixelColor(columns[size_t(x)], sourceY);
            row[0] = uchar(qRed(color));
            row[1] = uchar(qGreen(color));
            row[2] = uchar(qBlue(color));
        }
    });
}

[[noreturn]] void RaiseWriteError(const QString& fileName, const ESystemError& error) {
    throw EWriteError(CannotCreateFileText(fileName, error.Message()), error.ErrorNumber());
}

TJpegWrite PrepareEncoded(const QString& fileName, const QByteArray& bytes) {
    try {
        auto file = std::make_unique<TAtomicFile>(fileName);
        file->Write(bytes);
        file->Prepare();
        return TJpegWrite(fileName, std::move(file));
    } catch (const ESystemError& error) {
        RaiseWriteError(fileName, error);
    }
}

}  // namespace

void LoadGraphic(TBitmap& picture, const QString& fileName) {
    TJpegDecoder decoder;
    decoder.DecodeFile(fileName, picture);
}

void LoadGraphic(TBitmap& picture, const QString& fileName, TJpegDecoder& decoder) {
    decoder.DecodeFile(fileName, picture);
}

void LoadNamedGraphic(TBitmap& picture, const QString& fileName) {
    try {
        LoadGraphic(picture, fileName);
    } catch (const EJPEG& error) {
        throw EJPEG(error.MessageCode(), FileFailureText(fileName, PictureFailureReason(error)));
    }
}

QString PictureFailureReason(const std::exception& error) {
    if (dynamic_cast<const EJPEG*>(&error))
        return QStringLiteral("JPEG 画像として読み込めません。") + ErrorMessage(error);
    return ErrorMessage(error);
}

QString FileFailureText(const QString& file, const QString& reason) {
    return file + QStringLiteral("：") + reason;
}

QSize FitSize(int width, int height, int maxWidth, int maxHeight) {
    if (maxWidth <= 0 || maxHeight <= 0)
        RaiseBadBox(maxWidth, maxHeight);
    if (height <= maxHeight && width <= maxWidth)
        return QSize(width, height);
    const double boxShape = double(maxHeight) / double(maxWidth);
    const double pictureShape = double(height) / double(width);
    // A very long and thin picture would round to nothing; one pixel is the least a side keeps.
    if (pictureShape < boxShape) {
        return QSize(maxWidth, std::max(1, RoundHalfEven(maxWidth * pictureShape)));
    }
    return QSize(std::max(1, RoundHalfEven(maxHeight * (double(width) / double(height)))),
                 maxHeight);
}

TJpegWrite::TJpegWrite(QString fileName, std::unique_ptr<TAtomicFile> file)
    : FFileName(std::move(fileName)), FFile(std::move(file)) {}
TJpegWrite::TJpegWrite(TJpegWrite&&) noexcept = default;
TJpegWrite::~TJpegWrite() = default;

void TJpegWrite::Commit() {
    try {
        FFile->Commit();
    } catch (const ESystemError& error) {
        RaiseWriteError(FFileName, error);
    }
}

void TJpegWrite::CommitTogether(TJpegWrite& first, TJpegWrite& second) {
    try {
        first.FFile->Place();
    } catch (const ESystemError& error) {
        RaiseWriteError(first.FFileName, error);
    }
    try {
        second.FFile->Place();
    } catch (const ESystemError& error) {
        first.FFile->FlushFolder();
        RaiseWriteError(second.FFileName, error);
    }
    first.FFile->FlushFolder();
    second.FFile->FlushFolder();
}

TJpegWrite PrepareJpeg(const TBitmap& picture, QSize size, const QString& fileName) {
    if (size.width() <= 0 || size.height() <= 0)
        RaiseBadBox(size.width(), size.height());
    if (picture.IsEmpty())
        RaiseBadBox(picture.Width(), picture.Height());
    return PrepareEncoded(fileName, EncodeBitmap(picture, size.width(), size.height()));
}

TJpegWrite PrepareReduced(const TBitmap& picture, int maxWidth, int maxHeight,
                          const QString& fileName) {
    return PrepareJpeg(picture, FitSize(picture.Width(), picture.Height(), maxWidth, maxHeight),
                       fileName);
}

void WriteJpeg(const TBitmap& picture, QSize size, const QString& fileName) {
    PrepareJpeg(picture, size, fileName).Commit();
}

void WriteJpeg(const TBitmap& picture, const QString& fileName) {
    WriteJpeg(picture, QSize(picture.Width(), picture.Height()), fileName);
}

void WriteReduced(const TBitmap& picture, int maxWidth, int maxHeight, const QString& fileName) {
    PrepareReduced(picture, maxWidth, maxHeight, fileName).Commit();
}

TJpegImage::TJpegImage(QByteArray bytes) : FBytes(std::move(bytes)) {
    try {
        TJpegDecoder decoder;
        FSize = decoder.ReadSize(reinterpret_cast<const uchar*>(FBytes.constData()),
                                 size_t(FBytes.size()));
    } catch (const Exception&) {
        FSize = QSize(0, 0);
    }
}

void TJpegImage::Draw(QPainter& painter, const QRect& target) const {
    if (FDecoded.IsEmpty()) {
        // Drawing cannot report an error: an undecodable image draws nothing.
        try {
            TJpegDecoder decoder;
            decoder.DecodeBytes(reinterpret_cast<const uchar*>(FBytes.constData()),
                                size_t(FBytes.size()), FDecoded);
        } catch (const Exception&) {
            FDecoded.Clear();
            return;
        }
    }
    painter.drawImage(target, FDecoded.ToImage());
}
