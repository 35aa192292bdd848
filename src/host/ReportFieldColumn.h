// The values of one field of a fetched result laid out for scanning, so that the report grid can
// filter, sort and sum without going through each row's values again: whether a value is missing
// or numeric, its text (all texts of the field side by side in one buffer), its number and a sort key.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/RowSet.h"
#include "host/ReportField.h"

namespace host {

class ReportFieldColumn {
public:
    ReportFieldColumn(const db::RowSet& rows, size_t field, ReportFieldKind kind);

    // Null or empty.
    bool Missing(int row) const { return (flags_[static_cast<size_t>(row)] & kMissing) != 0; }
    bool Numeric(int row) const { return (flags_[static_cast<size_t>(row)] & kNumeric) != 0; }
    // Text fields: the value's text, empty when missing.
    std::string_view Text(int row) const {
        const size_t r = static_cast<size_t>(row);
        return std::string_view(texts_.data() + starts_[r], starts_[r + 1] - starts_[r]);
    }
    // Text fields: every text one after another; row's text starts at TextStart(row) and ends where
    // the next row's starts (TextStart(Size()) is the end).
    std::string_view Texts() const { return texts_; }
    size_t TextStart(int row) const { return starts_[static_cast<size_t>(row)]; }
    // Numeric fields: the number the value counts as, 0 when it is no number.
    double Number(int row) const { return numbers_[static_cast<size_t>(row)]; }

    // Sorting: a row without a key sorts as a null. Keys order as the values do (texts in natural
    // order); equal keys mean equal values unless KeysExact() is false (texts), where texts with
    // equal keys compare by db::NaturalCompare of their Text.
    bool Unkeyed(int row) const { return (flags_[static_cast<size_t>(row)] & kUnkeyed) != 0; }
    std::uint64_t SortKey(int row) const { return keys_[static_cast<size_t>(row)]; }
    bool KeysExact() const { return starts_.empty(); }

private:
    static constexpr std::uint8_t kMissing = 1, kNumeric = 2, kUnkeyed = 4;
    std::vector<std::uint8_t> flags_;
    std::string texts_;           // Text fields: the texts one after another
    std::vector<size_t> starts_;  // row r's text is texts_[starts_[r], starts_[r + 1])
    std::vector<double> numbers_;
    std::vector<std::uint64_t> keys_;
};

}  // namespace host
