// Decides which rows of a report's result pass the operator's filter conditions. Every condition
// must hold; a null value holds none. Numbers and dates compare as values (dates by their day),
// text ignores the case of Latin letters.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "db/DateTime.h"
#include "db/RowSet.h"
#include "host/ReportField.h"
#include "host/ReportFieldColumn.h"
#include "host/ReportSettings.h"

namespace host {

class ReportFilter {
public:
    // Rules with a Problem() are left out.
    ReportFilter(const std::vector<ReportFilterRule>& rules, const std::vector<ReportField>& fields);

    bool Empty() const { return conditions_.empty(); }
    // Keeps of `rows` (row numbers of `result`, ascending) those that pass. column(f) gives field f
    // of the result laid out for scanning.
    void Narrow(std::vector<int>& rows, const db::RowSet& result,
                const std::function<const ReportFieldColumn&(int field)>& column) const;

    // Why a rule cannot apply to the fields (unknown field, an operation its kind lacks, a bound
    // that is no number or date); empty when it can.
    static std::string Problem(const ReportFilterRule& rule, const std::vector<ReportField>& fields);
    // The operations a field of this kind offers: text equals and contains; numbers and dates
    // equals and from-to.
    static bool Offers(ReportFieldKind kind, ReportFilterOp op);

private:
    struct Condition {
        int field = 0;
        ReportFilterOp op = ReportFilterOp::Equals;
        ReportFieldKind kind = ReportFieldKind::Text;
        std::string text;  // Latin letters lower-cased
        bool textHasLetters = false;
        bool hasLow = false, hasHigh = false;
        double low = 0, high = 0;  // numbers; dates as yyyymmdd
    };
    static bool HoldsText(const Condition& c, std::string_view text);
    static bool HoldsNumber(const Condition& c, double x);
    static bool HoldsDate(const Condition& c, const db::Value& v);
    std::vector<Condition> conditions_;
};

}  // namespace host
