#include "platform/Exception.h"

#include <utility>

Exception::Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}

EFOpenError::EFOpenError(const QString& fileName, const QString& reason)
    : Exception(CannotOpenFileText(fileName, reason)) {}

EReadError::EReadError() : Exception(QStringLiteral("ストリームからの読み込みエラー")) {}

EInOutError::EInOutError(int errorCode)
    : Exception(QStringLiteral("I/O エラー (%1)").arg(errorCode)), FErrorCode(errorCode) {}

EJPEG::EJPEG(int messageCode)
    : Exception(QStringLiteral("JPEG エラー #%1").arg(messageCode)), FMessageCode(messageCode) {}

EJPEG::EJPEG(int messageCode, QString message)
    : Exception(std::move(message)), FMessageCode(messageCode) {}

QString ErrorMessage(const std::exception& error) {
    if (const auto* known = dynamic_cast<const Exception*>(&error))
        return known->Message();
    return QString::fromLocal8Bit(error.what());
}
