#include <gtest/gtest.h>

#include <QCoreApplication>

// Test executables of code without widgets: a core application gives the program folder and the
// event loop, and nothing of the widget stack is loaded.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
