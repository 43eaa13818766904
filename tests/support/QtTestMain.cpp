#include <gtest/gtest.h>

#include <QApplication>

// Widget and socket tests need an application object and its event loop.
// Test discovery runs the executable outside CTest's environment, so default to offscreen here.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Tests with web views need what the client sets too; the others do not mind.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
