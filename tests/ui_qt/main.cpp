// Runs every suite of the widget tests in one application.
#include "UiTestSupport.h"
#include "ui/qt/Application.h"

#include "support/PrivateConfigFolder.h"

int main(int argc, char** argv) {
    const testing_support::PrivateConfigFolder config;
    QApplication app(argc, argv);
    ui::qt::EnsureApplication();  // the Chinese translation
    return uitest::RunSuites(argc, argv) == 0 ? 0 : 1;
}
