#include <gtest/gtest.h>

#include <QTimer>

#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/KavroApplication.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

using namespace Dialogs;

TEST(Dialogs, BoxKindsCarryTheirTitlesIconsAndButtons) {
    TScriptedDialogs dialogs;
    ShowMessage(QStringLiteral("a"));
    dialogs.AnswerNext(TMsgResult::No);
    EXPECT_FALSE(Confirm(QStringLiteral("b")));
    EXPECT_TRUE(Confirm(QStringLiteral("c")));
    ShowWarning(QStringLiteral("ソラリノシリーズが起動中です。"));

    const auto& shown = dialogs.Messages();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0].Buttons, TMsgButtons::Ok);
    EXPECT_EQ(shown[0].Icon, TMsgIcon::None);
    EXPECT_EQ(shown[1].Title, QStringLiteral("情報"));
    EXPECT_EQ(shown[1].Icon, TMsgIcon::Information);
    EXPECT_EQ(shown[1].ButtonTexts,
              (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
    EXPECT_EQ(shown[3].Title, QStringLiteral("警告"));
    EXPECT_EQ(shown[3].Icon, TMsgIcon::Warning);
    EXPECT_EQ(shown[3].ButtonTexts, QStringList{QStringLiteral("OK")});
}

// The general error report: an exception leaving an event handler is shown and the loop goes on.
TEST(GeneralErrorReport, ShowsTheTextAndKeepsTheLoopRunning) {
    TScriptedDialogs dialogs;
    bool after = false;
    QTimer::singleShot(0, [] { throw EInOutError(5); });
    QTimer::singleShot(0, [] { throw std::runtime_error("plain"); });
    QTimer::singleShot(1, [&] { after = true; });
    QTimer::singleShot(5, qApp, &QCoreApplication::quit);
    qApp->exec();
    EXPECT_TRUE(after);
    EXPECT_EQ(dialogs.MessageTexts(),
              (QStringList{QStringLiteral("I/O エラー (5)"), QStringLiteral("plain")}));
}

TEST(Exceptions, MessagesAsShown) {
    EXPECT_EQ(EFOpenError(QStringLiteral("/a/b.jpg"), QStringLiteral("No such file")).Message(),
              QStringLiteral("ファイル /a/b.jpg は開けません。 No such file "));
    EXPECT_EQ(EReadError().Message(), QStringLiteral("ストリームからの読み込みエラー"));
    EXPECT_EQ(EJPEG(42).Message(), QStringLiteral("JPEG エラー #42"));
    EXPECT_STREQ(EJPEG(42).what(), "JPEG エラー #42");
}

}  // namespace
