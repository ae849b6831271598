// Arbitrary bytes as the settings file, read and written in memory as TIniFile reads and writes
// the file: every read must answer, never crash, leak or run out of memory, and writing one key
// must touch that key alone: afterwards the key reads as written and every other key reads as
// before.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/IniFile.h"

namespace {

struct TKey {
    const char* Section;
    const char* Name;
};

// The program's own keys, and names a hand-edited file may play with.
constexpr TKey Keys[] = {{"APP", "FIRST_STARTING"},
                         {"PHOTO", "REDUCE_WIDTH"},
                         {"PHOTO", "REDUCE_HEIGHT"},
                         {"PHOTO", "THUMBNAIL_DRAW_ALL"},
                         {"PHOTO", "SAVE_FOLDER"},
                         {"photo", "reduce_width"},
                         {"", ""},
                         {"A", "B"}};

QStringList ReadAll(const TIniText& ini) {
    QStringList values;
    for (const TKey& key : Keys) {
        const QString section = QString::fromLatin1(key.Section);
        const QString name = QString::fromLatin1(key.Name);
        values.append(ini.ReadString(section, name, QStringLiteral("<none>")));
        values.append(QString::number(ini.ReadInteger(section, name, -7)));
        values.append(QString::number(ini.ReadBool(section, name, true)));
    }
    return values;
}

void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TIniText ini(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QStringList before = ReadAll(ini);
    // The written key is the first of the table; its three reads come first.
    ini.WriteString(QStringLiteral("APP"), QStringLiteral("FIRST_STARTING"), QStringLiteral("0"));
    const QStringList after = ReadAll(ini);
    Require(after[0] == QStringLiteral("0"), "the written key does not read back");
    // Keys that the same section and name reach, letter case aside, change with it.
    for (qsizetype i = 3; i < before.size(); ++i) {
        const TKey& key = Keys[i / 3];
        const bool sameKey =
            QString::fromLatin1(key.Section).compare(u"APP", Qt::CaseInsensitive) == 0 &&
            QString::fromLatin1(key.Name).compare(u"FIRST_STARTING", Qt::CaseInsensitive) == 0;
        if (!sameKey)
            Require(before[i] == after[i], "another key changed");
    }
    return 0;
}
