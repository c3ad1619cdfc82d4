#include <gtest/gtest.h>
#include <QApplication>

#include "support/scoped_xdg_dirs.h"

// Every test program runs Qt offscreen and, unless a test says otherwise,
// with XDG folders of its own, so no test touches the real settings.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    ScopedXdgDirs isolation;
    return RUN_ALL_TESTS();
}
