#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/support/TestHome.h"

// Test executables of code without widgets: a core application gives the program folder and the
// event loop, and nothing of the widget stack is loaded. The run has a home folder of its own.
int main(int argc, char** argv) {
    UseTemporaryHome();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
