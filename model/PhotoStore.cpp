#include "model/PhotoStore.h"

#include <sys/stat.h>

#include <QFile>

bool FileExists(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           !S_ISDIR(info.st_mode);
}

bool IsStorableName(const QString& name) {
    return IsSafePhotoName(name) && IsXmlText(name);
}

QString UnstorableKeyText(const QString& fileName) {
    return QStringLiteral(
               "ファイル名 \"%1\" には保存できない文字が含まれているため、"
               "タグやお気に入りを記録できません。")
        .arg(fileName);
}

QString StoreFolderOf(const QString& storePath) {
    return storePath.left(storePath.lastIndexOf(u'/') + 1);
}

bool TReducedCopies::Exists(const QString& folder, const QString& fileName) {
    if (!IsSafePhotoName(folder) || !IsSafePhotoName(fileName))
        return false;
    const QString reduceDir = FSaveDir + folder + QStringLiteral("/reduce/");
    TFolder& known = FFolders[folder];
    if (!known.Decided)
        Decide(reduceDir, known);
    if (known.Missing)
        return false;
    if (known.Listed && known.Files.contains(fileName))
        return true;
    return FileExists(reduceDir + fileName);
}

void TReducedCopies::Decide(const QString& reduceDir, TFolder& folder) const {
    folder.Decided = true;
    const QByteArray native = QFile::encodeName(reduceDir);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        folder.Missing = true;
        return;
    }
    // Reading a folder costs about a tenth of asking about one file per entry it holds; its
    // size in bytes bounds from above what reading it costs.
    if (folder.Expected < 8 || qint64(folder.Expected) * 128 < qint64(info.st_size))
        return;
    folder.Files.reserve(folder.Expected);
    folder.Listed = ForEachEntry(reduceDir, [&](QString name, TEntryKind kind) {
        if (kind == TEntryKind::File)
            folder.Files.insert(std::move(name));
    });
}
