// The library's one public object. The host sets the six write-only properties, then calls
// Execute, which opens the host connection, loads the system settings and runs the branch-mode
// dialog (and through it every other window) modally. Nothing is ever raised to the host.
#pragma once
#include <cstdint>
#include <string>

#include "db/DateTime.h"

namespace entry {

class SubAdjuctPriceBill {
public:
    SubAdjuctPriceBill() = default;
    ~SubAdjuctPriceBill();
    SubAdjuctPriceBill(const SubAdjuctPriceBill&) = delete;
    SubAdjuctPriceBill& operator=(const SubAdjuctPriceBill&) = delete;

    // False for a date no calendar has: SysDate keeps its value and Execute shows why it stops.
    bool SysDate(const db::DateTime& value);
    void CommandTimeout(std::int16_t value);
    void ConnStr(const std::string& value);
    void OptCode(const std::string& value);
    void OptName(const std::string& value);
    void Execute() noexcept;
    void Category(const std::string& value);
};

}  // namespace entry
