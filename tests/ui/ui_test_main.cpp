// The window tests need one QApplication for the whole run, created before
// any test and after GoogleTest has taken its own options.
#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs the program at build time, without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
