// The host component tests need a widget application; they drive their windows offscreen.
#include <QApplication>
#include <gtest/gtest.h>

#include "support/PrivateConfigFolder.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const testing_support::PrivateConfigFolder config;
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
