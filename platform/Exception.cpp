#include "platform/Exception.h"

#include <cstring>
#include <utility>

Exception::Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}

EFOpenError::EFOpenError(const QString& fileName, const QString& reason)
    : Exception(QStringLiteral("ファイル %1 は開けません。 %2 ").arg(fileName, reason)) {}

EReadError::EReadError() : Exception(QStringLiteral("ストリームからの読み込みエラー")) {}

EInOutError::EInOutError(int errorCode)
    : Exception(QStringLiteral("I/O エラー (%1)").arg(errorCode)), FErrorCode(errorCode) {}

EJPEG::EJPEG(int messageCode)
    : Exception(QStringLiteral("JPEG エラー #%1").arg(messageCode)), FMessageCode(messageCode) {}

EJPEG::EJPEG(int messageCode, QString message)
    : Exception(std::move(message)), FMessageCode(messageCode) {}

QString SystemErrorText(int errorNumber) {
    char buffer[256];
    // GNU strerror_r returns the text, which may or may not live in the buffer.
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}
