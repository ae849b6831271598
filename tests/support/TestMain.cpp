#include <gtest/gtest.h>

#include "platform/KavroApplication.h"
#include "tests/support/TestHome.h"

// Every test executable runs inside the program's own application object, on the offscreen
// platform unless the environment names another, with a home folder of its own.
int main(int argc, char** argv) {
    UseTemporaryHome();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TKavroApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
