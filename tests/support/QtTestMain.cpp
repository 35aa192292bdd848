// The main of every test program that shows widgets: offscreen unless a platform is chosen, a
// configuration folder of its own, the application with its Chinese translation, then the suites.
#include <QApplication>
#include <gtest/gtest.h>

#include "support/ScratchDir.h"
#include "ui/qt/Application.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window sizes, folders and report settings the windows keep never reach the operator's own files.
    const testing_support::ScratchDir config("spb-config");
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    QApplication app(argc, argv);
    ui::qt::EnsureApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
