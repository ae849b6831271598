#include <gtest/gtest.h>

#include <QApplication>

#include "app/Startup.h"
#include "platform/SingleInstanceLock.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

TEST(Startup, SecondStartShowsTheWarningAndCreatesNoWindow) {
    TSingleInstanceLock holder;  // the lock "Kavro", as another program of the family holds it
    if (!holder.TryAcquire())
        GTEST_SKIP() << "another program of the family is running";
    TScriptedDialogs dialogs;
    const qsizetype windowsBefore = QApplication::topLevelWidgets().size();

    TSingleInstanceLock second;
    EXPECT_FALSE(Startup::ClaimSingleInstance(second));

    ASSERT_EQ(dialogs.Messages().size(), 1);
    const Dialogs::TMessageRequest& warning = dialogs.Messages().front();
    EXPECT_EQ(warning.Text, QStringLiteral("ソラリノシリーズが起動中です。"));
    EXPECT_EQ(warning.Title, QStringLiteral("警告"));
    EXPECT_EQ(warning.Icon, Dialogs::TMsgIcon::Warning);
    EXPECT_EQ(warning.Buttons, Dialogs::TMsgButtons::Ok);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
}

TEST(Startup, FreeLockStartsQuietly) {
    TScriptedDialogs dialogs;
    TSingleInstanceLock lock(QStringLiteral("KavroStartupTest"));
    EXPECT_TRUE(Startup::ClaimSingleInstance(lock));
    EXPECT_TRUE(dialogs.Messages().isEmpty());
}

}  // namespace
