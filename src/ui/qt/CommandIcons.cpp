#include "ui/qt/CommandIcons.h"

#include <QApplication>
#include <QStyle>
#include <map>

namespace ui::qt {
namespace {

const std::map<std::string, const char*>& Table() {
    static const std::map<std::string, const char*> table{
        {"新增", "document-new"},
        {"修改", "accessories-text-editor"},
        {"删除", "edit-delete"},
        {"打印", "document-print"},
        {"预览", "document-print-preview"},
        {"重打", "edit-redo"},
        {"报表", "applications-office"},
        {"选择", "edit-select-all"},
        {"审核", "emblem-default"},
        {"记账", "document-send"},
        {"记帐", "document-send"},
        {"刷新", "view-refresh"},
        {"退出", "application-exit"},
        {"返回", "go-previous"},
        {"导出", "document-save-as"},
        {"属性", "document-properties"},
        {"过滤", "edit-find"},
        {"页面", "document-page-setup"},
        {"合计", "accessories-calculator"},
        {"价格", "document-open-recent"},
        {"批量", "edit-find-replace"},
        {"导入", "document-open"},
        {"价签", "printer"},
        {"类别", "view-list-bullet"},
    };
    return table;
}

// Qt knows the desktop's icon theme only on a desktop; elsewhere (a bare X server, offscreen)
// the theme Debian installs with the project is chosen explicitly.
void EnsureTheme() {
    static bool done = false;
    if (done) return;
    done = true;
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor") ||
        !QIcon::hasThemeIcon(QStringLiteral("document-new")))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

}  // namespace

const char* CommandIconName(const std::string& key) {
    auto it = Table().find(key);
    return it == Table().end() ? "" : it->second;
}

QIcon CommandIcon(const std::string& key, const std::string& fallbackName) {
    EnsureTheme();
    QString name = QString::fromUtf8(CommandIconName(key));
    if (name.isEmpty()) name = QString::fromStdString(fallbackName);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    if (QIcon::hasThemeIcon(QStringLiteral("emblem-generic"))) return QIcon::fromTheme(QStringLiteral("emblem-generic"));
    return QApplication::style()->standardIcon(QStyle::SP_FileDialogInfoView);
}

}  // namespace ui::qt
