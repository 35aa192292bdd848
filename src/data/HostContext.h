// The process-wide host context: what the host set on the entry object, the connection of the
// current run and the branch mode. Every part of the library reads it directly; it keeps its
// values across runs and entry objects.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "db/Connection.h"
#include "db/DateTime.h"

namespace data {

struct HostContext {
    std::string ConnStr;
    std::string OptCode;
    std::string OptName;
    std::string Category;
    db::DateTime SysDate{1899, 12, 30};
    // The last business date the host set that no calendar has ("2026-02-31"); empty once a
    // valid one is set. Execute refuses to run on it.
    std::string RefusedSysDate;
    std::int16_t CommandTimeout = 0;
    // The connection of one Execute; absent between runs.
    std::unique_ptr<db::Connection> HostConnection;
    // false: bills for one branch; true: bills for a branch type.
    bool BranchMode = false;
};

HostContext& Host();

// Values of the BranchMode field.
inline constexpr bool ByBranch = false;
inline constexpr bool ByBranchType = true;

}  // namespace data
