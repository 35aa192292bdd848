// Drawing serial and line numbers: the maximum so far plus one (serials, 32-bit) or plus 100
// (lines, 16-bit). An overflow raises to the caller.
#include <cstdint>
#include <limits>

#include "bill/BillWriter.h"
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/QueryRoutines.h"
#include "db/Error.h"

namespace bill {

void FrmAdjuctPrice::NewLsh() {
    auto& shared = Shared();
    std::string sql = kMaxLshSql;
    const std::int32_t m = data::GetFieldValue(sql, "tjlsh").ToInt32();
    if (m == std::numeric_limits<std::int32_t>::max()) throw db::Error(db::ErrorCode::Overflow, "溢出");
    shared.CurrentLsh = std::to_string(m + 1);
}

void FrmAdjuctPrice::NewDh(const std::string& lsh) {
    auto& shared = Shared();
    std::string sql = "select max( (cast(dh as int)) ) as maxdh from SubAdjuctPricemx where lsh='" + data::EscapeQuote(lsh) + "'";
    const std::int16_t d = data::GetFieldValue(sql, "MaxDH").ToInt16();
    const int next = d + 100;
    if (next > std::numeric_limits<std::int16_t>::max()) throw db::Error(db::ErrorCode::Overflow, "溢出");
    shared.CurrentDh = std::to_string(next);
}

int FrmAdjuctPrice::LinesLeft(const std::string& lsh) {
    auto& shared = Shared();
    const std::string picked = shared.CurrentDh;
    int room = 0;
    try {
        NewDh(lsh);
        const int next = std::stoi(shared.CurrentDh);
        room = next <= 32767 ? (32767 - next) / 100 + 1 : 0;
    } catch (...) {
        room = 0;  // the line numbers of this bill are used up
    }
    shared.CurrentDh = picked;
    return room;
}

}  // namespace bill
