// The desktop application's tests: a QApplication without a display, and the
// user's folders in a fresh temporary folder so no test touches the real ones.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <string>

#include "tests/shell/shell_test_support.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    UseTemporaryUserFolders();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
