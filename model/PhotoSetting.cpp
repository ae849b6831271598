#include "model/PhotoSetting.h"

#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"

namespace {
const QString App = QStringLiteral("APP");
const QString Photo = QStringLiteral("PHOTO");
const QString FirstStartingKey = QStringLiteral("FIRST_STARTING");
const QString SaveFolderKey = QStringLiteral("SAVE_FOLDER");
const QString ReduceWidthKey = QStringLiteral("REDUCE_WIDTH");
const QString ReduceHeightKey = QStringLiteral("REDUCE_HEIGHT");
const QString ThumbnailDrawAllKey = QStringLiteral("THUMBNAIL_DRAW_ALL");
}  // namespace

QString TPhotoSetting::FileName() {
    return SettingsFilePath();
}

void TPhotoSetting::Load() {
    const TIniFile ini(FileName());
    const QString defaultSize = QString::number(DefaultReduceSize);
    FirstStarting = ini.ReadBool(App, FirstStartingKey, true);
    SaveFolder = ini.ReadString(Photo, SaveFolderKey, QString());
    ReduceWidth = ini.ReadString(Photo, ReduceWidthKey, defaultSize);
    ReduceHeight = ini.ReadString(Photo, ReduceHeightKey, defaultSize);
    ThumbnailDrawAll = ini.ReadBool(Photo, ThumbnailDrawAllKey, false);
}

void TPhotoSetting::Save() {
    TIniFile ini(FileName());
    ini.WriteBool(App, FirstStartingKey, FirstStarting);
    // Quoted so that blanks at either end of the folder text survive the read.
    ini.WriteString(Photo, SaveFolderKey, u'"' + SaveFolder + u'"');
    ini.WriteString(Photo, ReduceWidthKey, ReduceWidth);
    ini.WriteString(Photo, ReduceHeightKey, ReduceHeight);
    ini.WriteBool(Photo, ThumbnailDrawAllKey, ThumbnailDrawAll);
}

int ReduceSizeValue(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : TPhotoSetting::DefaultReduceSize;
}

int RememberedFolderIndex(const QStringList& entries, const QString& remembered) {
    const qsizetype exact = entries.indexOf(remembered);
    if (exact >= 0)
        return int(exact);
    const QByteArray written = Cp932::Encode(remembered);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (Cp932::Encode(entries[i]) == written)
            return int(i);
    }
    return -1;
}
