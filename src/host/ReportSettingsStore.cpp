#include "host/ReportSettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

#include "host/QtText.h"

namespace host {
namespace {

// A report code as a settings group: the characters that would open subgroups are escaped.
QString GroupOf(const std::string& code) {
    QString g;
    for (QChar c : ToQString(code)) {
        if (c == QLatin1Char('%') || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            g += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            g += c;
    }
    return g.isEmpty() ? QStringLiteral("%00") : g;
}

QString OpName(ReportFilterOp op) {
    switch (op) {
        case ReportFilterOp::Equals: return QStringLiteral("equals");
        case ReportFilterOp::Contains: return QStringLiteral("contains");
        case ReportFilterOp::Between: return QStringLiteral("between");
    }
    return {};
}

bool OpFromName(const QString& name, ReportFilterOp& op) {
    if (name == QLatin1String("equals")) op = ReportFilterOp::Equals;
    else if (name == QLatin1String("contains")) op = ReportFilterOp::Contains;
    else if (name == QLatin1String("between")) op = ReportFilterOp::Between;
    else return false;
    return true;
}

}  // namespace

ReportSettingsStore::ReportSettingsStore(QString file) : file_(file.isEmpty() ? DefaultFile() : std::move(file)) {}

QString ReportSettingsStore::DefaultFile() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/subpricebill/report.ini");
}

ReportSettings ReportSettingsStore::Load(const std::string& reportCode) const {
    ReportSettings s;
    QSettings ini(file_, QSettings::IniFormat);
    ini.beginGroup(GroupOf(reportCode));

    const int columns = ini.beginReadArray(QStringLiteral("columns"));
    for (int i = 0; i < columns; ++i) {
        ini.setArrayIndex(i);
        ReportColumnSetting c;
        c.field = ToStdString(ini.value(QStringLiteral("field")).toString());
        c.visible = ini.value(QStringLiteral("visible"), true).toBool();
        c.width = std::max(0, ini.value(QStringLiteral("width"), 0).toInt());
        c.heading = ToStdString(ini.value(QStringLiteral("heading")).toString());
        if (!c.field.empty()) s.columns.push_back(std::move(c));
    }
    ini.endArray();

    const int rules = ini.beginReadArray(QStringLiteral("filter"));
    for (int i = 0; i < rules; ++i) {
        ini.setArrayIndex(i);
        ReportFilterRule r;
        r.field = ToStdString(ini.value(QStringLiteral("field")).toString());
        r.value = ToStdString(ini.value(QStringLiteral("value")).toString());
        r.to = ToStdString(ini.value(QStringLiteral("to")).toString());
        if (!r.field.empty() && OpFromName(ini.value(QStringLiteral("op")).toString(), r.op)) s.filter.push_back(std::move(r));
    }
    ini.endArray();

    ReportPageSetup& p = s.page;
    const ReportPageSetup d;
    ini.beginGroup(QStringLiteral("page"));
    p.title = ToStdString(ini.value(QStringLiteral("title")).toString());
    p.fontSize = std::clamp(ini.value(QStringLiteral("fontSize"), d.fontSize).toInt(), 6, 24);
    p.landscape = ini.value(QStringLiteral("landscape"), d.landscape).toBool();
    auto margin = [&](const char* key, int def) {
        return std::clamp(ini.value(QLatin1String(key), def).toInt(), 0, 60);
    };
    p.marginTop = margin("marginTop", d.marginTop);
    p.marginBottom = margin("marginBottom", d.marginBottom);
    p.marginLeft = margin("marginLeft", d.marginLeft);
    p.marginRight = margin("marginRight", d.marginRight);
    ini.endGroup();
    ini.endGroup();
    return s;
}

bool ReportSettingsStore::Save(const std::string& reportCode, const ReportSettings& s) const {
    QDir().mkpath(QFileInfo(file_).absolutePath());
    QSettings ini(file_, QSettings::IniFormat);
    ini.remove(GroupOf(reportCode));
    ini.beginGroup(GroupOf(reportCode));

    ini.beginWriteArray(QStringLiteral("columns"), static_cast<int>(s.columns.size()));
    for (size_t i = 0; i < s.columns.size(); ++i) {
        ini.setArrayIndex(static_cast<int>(i));
        const ReportColumnSetting& c = s.columns[i];
        ini.setValue(QStringLiteral("field"), ToQString(c.field));
        ini.setValue(QStringLiteral("visible"), c.visible);
        ini.setValue(QStringLiteral("width"), c.width);
        ini.setValue(QStringLiteral("heading"), ToQString(c.heading));
    }
    ini.endArray();

    ini.beginWriteArray(QStringLiteral("filter"), static_cast<int>(s.filter.size()));
    for (size_t i = 0; i < s.filter.size(); ++i) {
        ini.setArrayIndex(static_cast<int>(i));
        const ReportFilterRule& r = s.filter[i];
        ini.setValue(QStringLiteral("field"), ToQString(r.field));
        ini.setValue(QStringLiteral("op"), OpName(r.op));
        ini.setValue(QStringLiteral("value"), ToQString(r.value));
        ini.setValue(QStringLiteral("to"), ToQString(r.to));
    }
    ini.endArray();

    ini.beginGroup(QStringLiteral("page"));
    ini.setValue(QStringLiteral("title"), ToQString(s.page.title));
    ini.setValue(QStringLiteral("fontSize"), s.page.fontSize);
    ini.setValue(QStringLiteral("landscape"), s.page.landscape);
    ini.setValue(QStringLiteral("marginTop"), s.page.marginTop);
    ini.setValue(QStringLiteral("marginBottom"), s.page.marginBottom);
    ini.setValue(QStringLiteral("marginLeft"), s.page.marginLeft);
    ini.setValue(QStringLiteral("marginRight"), s.page.marginRight);
    ini.endGroup();
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

}  // namespace host
