#include "forms/Application.h"

#include <gtest/gtest.h>

#include <QStandardPaths>

// The window tests run inside the program's own application object, so that the
// error display catches what escapes an event handler, with the per-user
// folders redirected away from the real user's settings and dictionary.
int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    TApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
