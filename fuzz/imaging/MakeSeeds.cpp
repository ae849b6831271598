// Writes a few small JPEG files of every kind the decoder handles into the folder given, as the
// starting corpus of fuzz_loadgraphic.

#include <QDir>
#include <QString>

#include "tests/support/JpegBuilder.h"

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]) + u'/';
    QDir().mkpath(dir);
    TJpegBuilder(17, 9).WriteTo(dir + QStringLiteral("seed_plain.jpg"));
    TJpegBuilder(1, 1).WriteTo(dir + QStringLiteral("seed_pixel.jpg"));
    TJpegBuilder(24, 16).Progressive().WriteTo(dir + QStringLiteral("seed_progressive.jpg"));
    TJpegBuilder(16, 8).Greyscale().WriteTo(dir + QStringLiteral("seed_grey.jpg"));
    TJpegBuilder(9, 9).Cmyk().WriteTo(dir + QStringLiteral("seed_cmyk.jpg"));
    TJpegBuilder(40, 3).Quality(100).WriteTo(dir + QStringLiteral("seed_q100.jpg"));
    return 0;
}
