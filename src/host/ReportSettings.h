// What the operator arranges in a report, kept per report code: the column definitions (every
// field once, in display order), the filter conditions and the page set-up of the printed report.
#pragma once
#include <string>
#include <vector>

namespace host {

struct ReportColumnSetting {
    std::string field;    // the statement's column name (its alias)
    bool visible = true;
    int width = 0;        // pixels; 0 sizes the column from its contents
    std::string heading;  // empty: the field name

    bool operator==(const ReportColumnSetting&) const = default;
};

enum class ReportFilterOp { Equals, Contains, Between };

struct ReportFilterRule {
    std::string field;
    ReportFilterOp op = ReportFilterOp::Equals;
    std::string value;  // Equals, Contains; the lower bound of Between (empty: open)
    std::string to;     // the upper bound of Between (empty: open)

    bool operator==(const ReportFilterRule&) const = default;
};

struct ReportPageSetup {
    std::string title;  // empty: the report name
    int fontSize = 9;   // points
    bool landscape = true;
    int marginTop = 12, marginBottom = 12, marginLeft = 10, marginRight = 10;  // millimetres

    bool operator==(const ReportPageSetup&) const = default;
};

struct ReportSettings {
    std::vector<ReportColumnSetting> columns;  // empty: the defaults of the result
    std::vector<ReportFilterRule> filter;
    ReportPageSetup page;

    bool operator==(const ReportSettings&) const = default;
};

}  // namespace host
