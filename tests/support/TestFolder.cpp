#include "tests/support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include "platform/ProgramDir.h"

TTestFolder::TTestFolder() {
    if (!FDir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    SetProgramDir(Path());
}

TTestFolder::~TTestFolder() {
    SetProgramDir(QString());
}

QString TTestFolder::Path() const {
    return FDir.path() + u'/';
}

QString TTestFolder::WriteFile(const QString& relative, const QByteArray& bytes) const {
    const QString path = FilePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write test file");
    }
    return path;
}

QByteArray TTestFolder::ReadFile(const QString& relative) const {
    QFile file(FilePath(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString TTestFolder::MakeDir(const QString& relative) const {
    QDir().mkpath(FilePath(relative));
    return FilePath(relative);
}

bool TTestFolder::Exists(const QString& relative) const {
    return QFileInfo::exists(FilePath(relative));
}
