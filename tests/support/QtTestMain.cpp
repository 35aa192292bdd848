// The main of every test program that shows widgets: offscreen unless a platform is chosen, a
// configuration folder of its own, the application with its Chinese translation, then the suites.
#include <QApplication>
#include <gtest/gtest.h>

#include "support/PrivateConfigFolder.h"
#include "ui/qt/Application.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const testing_support::PrivateConfigFolder config;
    QApplication app(argc, argv);
    ui::qt::EnsureApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
