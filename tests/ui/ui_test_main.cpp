// The window tests need one application object for the whole run, created
// before any test and after GoogleTest has taken its own options. It is the
// program's own, so that an error a handler raises is shown as it is there.
#include <QByteArray>

#include <gtest/gtest.h>

#include "app/orvapplication.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs the program at build time, without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    OrvApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
