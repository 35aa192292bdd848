// Text conversions between the database layer's values and the Qt widgets of the host's
// components: UTF-8 std::string <-> QString, and the display text of a field value.
#pragma once
#include <QString>
#include <string>

#include "db/Value.h"

namespace host {

inline QString ToQString(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

inline std::string ToStdString(const QString& text) { return text.toUtf8().toStdString(); }

// A text as it is shown or printed. The bidirectional controls (U+202A..U+202E, U+2066..U+2069,
// U+200E, U+200F, U+061C) would reorder what follows them, so that a remark could read as
// something else than it holds; each shows as its code, "<U+202E>", and the text reads in the
// order it is stored.
inline QString VisibleText(const QString& text) {
    auto control = [](char16_t c) {
        return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
    };
    qsizetype i = 0;
    while (i < text.size() && !control(text.at(i).unicode())) ++i;
    if (i == text.size()) return text;
    QString shown = text.left(i);
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (control(c)) shown += QStringLiteral("<U+%1>").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
        else shown += text.at(i);
    }
    return shown;
}

inline QString VisibleText(const std::string& text) { return VisibleText(ToQString(text)); }

// How a field value shows in a grid: dates without a midnight time, numbers in their shortest
// form, nulls empty.
inline QString DisplayText(const db::Value& v) {
    if (v.GetKind() == db::Value::Kind::Date) {
        const db::DateTime d = v.ToDate();
        return ToQString(d.hour == 0 && d.minute == 0 && d.second == 0 ? d.DateText() : d.ToText());
    }
    return ToQString(v.ToText());
}

}  // namespace host
