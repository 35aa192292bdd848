#include "host/ReportSettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

#include "host/QtText.h"

namespace host {
namespace {

// An arrangement takes a few hundred bytes per column.
constexpr qint64 kMaxFileBytes = 4 << 20;
constexpr int kMaxText = 200;
constexpr int kMaxColumnWidth = 2000;

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

ReportSettings ReportSettingsStore::Load(const std::string& reportCode, int columnLimit) const {
    ReportSettings s;
    // The file is the operator's to edit, and anyone's to tamper with: a file too large for an
    // arrangement gives the defaults, and only as many entries are read as the report has columns.
    const QFileInfo info(file_);
    if (info.exists() && (!info.isFile() || info.size() > kMaxFileBytes)) return s;
    const int limit = std::clamp(columnLimit, 0, kMaxColumns);
    QSettings ini(file_, QSettings::IniFormat);
    ini.beginGroup(GroupOf(reportCode));
    auto text = [&](const QString& key) { return ToStdString(ini.value(key).toString().left(kMaxText)); };
    // A number outside its range takes the nearest value in it; one that is not a number the default.
    auto number = [&](const QString& key, int def, int low, int high) {
        bool ok = false;
        const qlonglong v = ini.value(key, def).toLongLong(&ok);
        return ok ? static_cast<int>(std::clamp<qlonglong>(v, low, high)) : def;
    };

    const int columns = std::min(ini.beginReadArray(QStringLiteral("columns")), limit);
    for (int i = 0; i < columns; ++i) {
        ini.setArrayIndex(i);
        ReportColumnSetting c;
        c.field = text(QStringLiteral("field"));
        c.visible = ini.value(QStringLiteral("visible"), true).toBool();
        c.width = number(QStringLiteral("width"), 0, 0, kMaxColumnWidth);
        c.heading = text(QStringLiteral("heading"));
        if (!c.field.empty()) s.columns.push_back(std::move(c));
    }
    ini.endArray();

    const int rules = std::min(ini.beginReadArray(QStringLiteral("filter")), limit);
    for (int i = 0; i < rules; ++i) {
        ini.setArrayIndex(i);
        ReportFilterRule r;
        r.field = text(QStringLiteral("field"));
        r.value = text(QStringLiteral("value"));
        r.to = text(QStringLiteral("to"));
        if (!r.field.empty() && OpFromName(ini.value(QStringLiteral("op")).toString(), r.op)) s.filter.push_back(std::move(r));
    }
    ini.endArray();

    ReportPageSetup& p = s.page;
    const ReportPageSetup d;
    ini.beginGroup(QStringLiteral("page"));
    p.title = text(QStringLiteral("title"));
    p.fontSize = number(QStringLiteral("fontSize"), d.fontSize, 6, 24);
    const QVariant landscape = ini.value(QStringLiteral("landscape"), d.landscape);
    const QString flag = landscape.toString().trimmed().toLower();
    p.landscape = flag == QLatin1String("true") || flag == QLatin1String("1")    ? true
                  : flag == QLatin1String("false") || flag == QLatin1String("0") ? false
                                                                                : d.landscape;
    auto margin = [&](const char* key, int def) { return number(QLatin1String(key), def, 0, 60); };
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
