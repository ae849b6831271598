#include "exif/ExifError.h"

namespace ExifInfo {

QString ErrorText(int errorCode) {
    switch (errorCode) {
        case ExifError::FileNotFound:
            return QStringLiteral("ファイルが見つかりません");
        case ExifError::NotExif:
            return QStringLiteral("Exif、またはDCF形式ではありません");
        case ExifError::UserComment:
            return QStringLiteral("ユーザコメントは不明な形式です");
        case ExifError::NotAscii:
            return QStringLiteral("ASCII文字以外は書き込みできません");
        case ExifError::InvalidStream:
            return QStringLiteral("不正なストリーム");
        case ExifError::InvalidIndex:
            return QStringLiteral("不正なインデックス");
        case ExifError::TagNotFound:
            return QStringLiteral("タグが見つかりません");
        case ExifError::UnknownDateTime:
            return QStringLiteral("日時は不明です");
        default:
            return QStringLiteral("不明なエラーです");
    }
}

}  // namespace ExifInfo

EExifError::EExifError(int errorCode)
    : Exception(QStringLiteral("TExifInfo: ") + ExifInfo::ErrorText(errorCode)),
      FErrorCode(errorCode) {}
