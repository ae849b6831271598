#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString& ProgramDirOverride() {
    static QString folder;
    return folder;
}

QString WithSlash(QString folder) {
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

}  // namespace

QString ProgramDir() {
    const QString& folder = ProgramDirOverride();
    if (!folder.isEmpty())
        return folder;
    return WithSlash(QCoreApplication::applicationDirPath());
}

void SetProgramDir(const QString& folder) {
    ProgramDirOverride() = folder.isEmpty() ? QString() : WithSlash(folder);
}

QString SettingsFilePath() {
    // The executable is KavroPhoto (no extension on Linux), so its settings file is
    // KavroPhoto.ini beside it, whatever folder the program runs from.
    return ProgramDir() + QStringLiteral("KavroPhoto.ini");
}
