#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>

// Encodes JPEG files for the tests with libjpeg: any size, any colour pattern, in memory or to a
// file. The default pattern gives neighbouring pixels different colours, so that a picture
// turned, cut or scaled the wrong way shows it.
class TJpegBuilder {
public:
    using TRgb = std::array<unsigned char, 3>;
    using TPattern = std::function<TRgb(int x, int y)>;

    TJpegBuilder(int width, int height);

    TJpegBuilder& Pattern(TPattern pattern);
    TJpegBuilder& Solid(unsigned char r, unsigned char g, unsigned char b);
    TJpegBuilder& Quality(int quality);
    TJpegBuilder& Progressive();
    TJpegBuilder& Greyscale();
    // Greyscale and progressive with a scan for every coefficient and bit: 631 scans.
    TJpegBuilder& ManyScans();
    // Four components, written inverted with an Adobe marker as libjpeg does for CMYK.
    TJpegBuilder& Cmyk();
    // A whole segment (marker, length, payload: an EXIF APP1 of TExifBuilder, say) written
    // right after the JFIF header, where cameras put theirs.
    TJpegBuilder& Segment(QByteArray segment);

    // The raster as rows of R, G, B bytes without padding.
    QByteArray Raster() const;
    // The raster as a binary PPM (P6), the input of cjpeg.
    QByteArray Ppm() const;
    QByteArray Encode() const;
    // Writes the encoded file (creating nothing but the file) and returns the path.
    QString WriteTo(const QString& path) const;

    static TRgb DefaultPattern(int x, int y);

private:
    int FWidth;
    int FHeight;
    TPattern FPattern = DefaultPattern;
    int FQuality = 90;
    bool FProgressive = false;
    bool FGreyscale = false;
    bool FManyScans = false;
    bool FCmyk = false;
    QByteArray FSegments;
};
