#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <cstring>

#include "platform/FileErrors.h"

namespace {

// The reasons a user meets read in Japanese whatever the locale (the tests run in the C locale,
// where the C library's texts are English), each its own text.
TEST(SystemErrorText, TheReasonsAUserMeetsAreJapaneseAndTheRestAreTheSystems) {
    QSet<QString> seen;
    for (int error : {ENOENT, EACCES, ENOSPC, EROFS, EEXIST, ENOTDIR, EISDIR, ENAMETOOLONG, EMFILE,
                      EIO, EDQUOT}) {
        const QString text = SystemErrorText(error);
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
            << error << " " << text.toStdString();
        EXPECT_FALSE(seen.contains(text)) << error;
        seen.insert(text);
    }
    EXPECT_EQ(SystemErrorText(EBADF), QString::fromLocal8Bit(std::strerror(EBADF)));
}

}  // namespace
