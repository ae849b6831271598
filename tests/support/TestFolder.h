#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder that is also the program folder for the life of the test; removed after.
class TTestFolder {
public:
    TTestFolder();
    ~TTestFolder();
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;

    // The folder, ending in '/'.
    QString Path() const;
    QString FilePath(const QString& relative) const { return Path() + relative; }

    // Writes a file (creating its folders) and returns its full path.
    QString WriteFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray ReadFile(const QString& relative) const;
    QString MakeDir(const QString& relative) const;
    bool Exists(const QString& relative) const;

private:
    QTemporaryDir FDir;
};
