#include <QGuiApplication>
#include <gtest/gtest.h>

// The suite draws its test picture with Qt off screen; the program under
// test gets a display of its own in each test.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
