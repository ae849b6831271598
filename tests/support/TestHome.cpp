#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

void UseTemporaryHome() {
    // Removed when the process ends.
    static QTemporaryDir home;
    const QString data = home.path() + QStringLiteral("/.local/share");
    if (!home.isValid() || !QDir().mkpath(data)) {
        std::fprintf(stderr, "no temporary home folder\n");
        std::exit(1);
    }
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
}

QString TestTrashDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Trash/");
}
