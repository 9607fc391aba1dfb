#include <gtest/gtest.h>

#include <QApplication>

// The application object lives inside main(): a static one outlives Qt's input devices and crashes at exit
// once a test has sent key events.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
