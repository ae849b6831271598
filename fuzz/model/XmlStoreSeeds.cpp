// Writes a seed corpus for fuzz_xmlstores into the folder given as its argument: one small
// well-formed file of each store, each behind the byte that chooses the store.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xml_store_seeds FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + u'/';
    QDir().mkpath(folder);
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>\n";
    const QByteArray seeds[] = {
        '\0' + declaration +
            "<data><tag><folder>d</folder><file>a.JPG</file><val>\x83g\x83}\x83g,\"a,b\"</val>"
            "</tag><tag><folder>d</folder><file>b.JPG</file><val/></tag></data>",
        '\1' + declaration +
            "<data><okiniiri><folder>d</folder><file>a.JPG</file></okiniiri>"
            "<okiniiri><folder>20240101</folder><file>IMG_1.JPG</file></okiniiri></data>",
        '\2' + declaration +
            "<data><save order=\"1\">/home/u/\x94\xa8</save><save order=\"2\">/srv/photos</save>"
            "</data>",
        '\3' + declaration +
            "<data><okini><name>\x83g\x83}\x83g &amp; co</name><url>https://example.jp/</url>"
            "<memo>&lt;b&gt;</memo></okini></data>",
    };
    int index = 0;
    for (const QByteArray& seed : seeds) {
        QFile file(folder + QStringLiteral("seed%1").arg(index++));
        if (!file.open(QIODevice::WriteOnly) || file.write(seed) != seed.size())
            return 1;
    }
    return 0;
}
