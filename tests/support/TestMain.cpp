#include <gtest/gtest.h>

#include "platform/KavroApplication.h"

// Every test executable runs inside the program's own application object, on the offscreen
// platform unless the environment names another.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TKavroApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
