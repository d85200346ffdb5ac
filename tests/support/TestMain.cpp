#include <gtest/gtest.h>

#include <QApplication>

// Every test binary gets a QApplication (offscreen unless told otherwise), so widgets,
// timers and queued events work as they do in the program.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
