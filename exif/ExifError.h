#pragma once

#include <QString>

#include "platform/Exception.h"

// The error codes of the reader and their texts.
namespace ExifError {
inline constexpr int FileNotFound = -1;     // "ファイルが見つかりません"
inline constexpr int NotExif = -2;          // "Exif、またはDCF形式ではありません"
inline constexpr int UserComment = -3;      // "ユーザコメントは不明な形式です"
inline constexpr int NotAscii = -4;         // "ASCII文字以外は書き込みできません"
inline constexpr int InvalidStream = -5;    // "不正なストリーム"
inline constexpr int InvalidIndex = -6;     // "不正なインデックス"
inline constexpr int TagNotFound = -7;      // "タグが見つかりません"
inline constexpr int UnknownDateTime = -8;  // "日時は不明です"
}  // namespace ExifError

namespace ExifInfo {
// The text of an error code; "不明なエラーです" for a code outside the table.
QString ErrorText(int errorCode);
}  // namespace ExifInfo

// The reader's error: "TExifInfo: " and the text of the code.
class EExifError : public Exception {
public:
    explicit EExifError(int errorCode);
    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};
