// The host's reprint component, shaped like the library's entry object: it takes the business
// date, command time-out, connection string, operator code and name and category, then runs
// with a whole-number code (27 for this bill kind).
#pragma once
#include <cstdint>
#include <string>

#include "data/Component.h"
#include "db/DateTime.h"

namespace data {

class ReprintComponent : public Component {
public:
    virtual void SetSysDate(const db::DateTime& date) = 0;
    virtual void SetCommandTimeout(std::int16_t seconds) = 0;
    virtual void SetConnStr(const std::string& connStr) = 0;
    virtual void SetOptCode(const std::string& code) = 0;
    virtual void SetOptName(const std::string& name) = 0;
    virtual void Run(int code) = 0;
    virtual void SetCategory(const std::string& category) = 0;
};

inline constexpr int kReprintCode = 27;

// Creates the host's reprint component, hands it the host context's category, command time-out,
// connection string, operator code and name and business date, in that order, and runs it with
// kReprintCode. Failures reach the caller.
void RunReprint();

}  // namespace data
