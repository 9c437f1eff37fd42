#include "forms/Application.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

// The window tests run inside the program's own application object, so that the
// error display catches what escapes an event handler, with the per-user
// folders redirected away from the real user's settings and dictionary.
int main(int argc, char** argv) {
    // A home folder of the run's own: what one run remembers (the editor font,
    // the user's words) never reaches the next run or another test program.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QStandardPaths::setTestModeEnabled(true);
    TApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
