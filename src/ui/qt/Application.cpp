#include "ui/qt/Application.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <memory>

namespace ui::qt {
namespace {

constexpr const char* kCjkFamily = "Noto Sans CJK SC";

QPointer<QTranslator>& InstalledTranslator() {
    static QPointer<QTranslator> translator;
    return translator;
}

}  // namespace

bool InstallChineseTranslation() {
    auto* app = QCoreApplication::instance();
    if (!app) return false;
    auto& installed = InstalledTranslator();
    if (installed) return true;  // parented to the application, so gone with it
    auto* translator = new QTranslator(app);
    // Qt's own translations, or else the copy the installed package keeps beside the program.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        !translator->load(QStringLiteral("qtbase_zh_CN"), QCoreApplication::applicationDirPath() + QStringLiteral("/translations"))) {
        translator->deleteLater();
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

namespace {
std::unique_ptr<QApplication>& OwnedApplication() {
    static std::unique_ptr<QApplication> owned;
    return owned;
}
}  // namespace

void ReleaseOwnedApplication() { OwnedApplication().reset(); }

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "subpricebill";
    static char* argv[] = {name, nullptr};
    auto& owned = OwnedApplication();

    if (!QCoreApplication::instance()) {
        owned = std::make_unique<QApplication>(argc, argv);
        // The host's own application keeps its font; ours needs one with the Chinese glyphs.
        if (QFontDatabase::families().contains(QLatin1String(kCjkFamily))) {
            QFont font{QString::fromLatin1(kCjkFamily)};
            font.setPointSize(10);
            QApplication::setFont(font);
        }
    }
    InstallChineseTranslation();
}

}  // namespace ui::qt
