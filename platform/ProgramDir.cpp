#include "platform/ProgramDir.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

#include "platform/Exception.h"
#include "platform/FileErrors.h"

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

const QString SettingsFileName = QStringLiteral("KavroPhoto.ini");
const QString DataFolderName = QStringLiteral("data");

// Makes one folder; an existing folder is fine. Returns the errno of a failure, or 0.
int MakeFolder(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    if (::mkdir(encoded.constData(), 0777) == 0)
        return 0;
    const int error = errno;
    if (error == EEXIST && QFileInfo(path).isDir())
        return 0;
    return error;
}

// Makes the folder with every missing parent, naming the first one that cannot be made.
void MakeFolderPath(const QString& folder) {
    QString path;
    for (const QString& part : folder.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        if (QFileInfo(path).isDir())
            continue;
        if (const int error = MakeFolder(path))
            throw Exception(CannotCreateFolderText(path, SystemErrorText(error)));
    }
}

}  // namespace

QString ChooseProgramDir(const QString& executableDir, const QString& userDataDir) {
    const QString portable = WithSlash(executableDir);
    if (QFileInfo(portable + SettingsFileName).isFile() ||
        QFileInfo(portable + DataFolderName).isDir())
        return portable;
    return WithSlash(userDataDir);
}

QString UserDataDir() {
    return WithSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
           QStringLiteral("KavroPhoto/");
}

QString ProgramDir() {
    const QString& folder = ProgramDirOverride();
    if (!folder.isEmpty())
        return folder;
    // Chosen once: a folder made on first use must not move the program folder mid-run.
    static const QString chosen =
        ChooseProgramDir(QCoreApplication::applicationDirPath(), UserDataDir());
    return chosen;
}

void SetProgramDir(const QString& folder) {
    ProgramDirOverride() = folder.isEmpty() ? QString() : WithSlash(folder);
}

void MakeProgramDir() {
    MakeFolderPath(ProgramDir() + DataFolderName + u'/');
}

QString SettingsFilePath() {
    // The settings file keeps its Windows name, KavroPhoto.ini, whatever the executable is
    // called, so that a folder copied from a Windows PC is read as it stands.
    return ProgramDir() + SettingsFileName;
}
