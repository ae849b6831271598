#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

#include "platform/FileErrors.h"

// The error kinds of the program. Every failure carries the Japanese text that the user sees;
// a handler that expects a failure catches the kind it knows, the rest reach the general error
// report of TKavroApplication.
class Exception : public std::exception {
public:
    explicit Exception(QString message);

    const QString& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// A file could not be opened or created: "ファイル %s は開けません。 %s ".
class EFOpenError : public Exception {
public:
    EFOpenError(const QString& fileName, const QString& reason);
    using Exception::Exception;
};

// A stream ended before the bytes asked for: "ストリームからの読み込みエラー".
class EReadError : public Exception {
public:
    EReadError();
    using Exception::Exception;
};

// A file could not be written: "ファイル "%s" を作成できません。%s" and the like.
class EWriteError : public Exception {
public:
    using Exception::Exception;
    EWriteError(QString message, int errorNumber)
        : Exception(std::move(message)), FErrorNumber(errorNumber) {}
    // The system's error number of the failed write; 0 when none is known.
    int ErrorNumber() const noexcept { return FErrorNumber; }

private:
    int FErrorNumber = 0;
};

// A failed file-system operation with its error number: "I/O エラー (%d)".
class EInOutError : public Exception {
public:
    explicit EInOutError(int errorCode);
    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};

// A JPEG that libjpeg refused: "JPEG エラー #%d" with the library's message number.
class EJPEG : public Exception {
public:
    explicit EJPEG(int messageCode);
    EJPEG(int messageCode, QString message);
    int MessageCode() const noexcept { return FMessageCode; }

private:
    int FMessageCode;
};

// The text the user reads for any exception: an Exception's message, else the library's text.
QString ErrorMessage(const std::exception& error);
