// The host's operation-rights component: answers whether an operator holds a named right of a
// module. Created for each check.
#pragma once
#include <string>

#include "data/Component.h"

namespace data {

class RightsComponent : public Component {
public:
    // module code, the constant -1, operator code, right name, connection string, granted (out).
    virtual void CheckRight(const std::string& moduleCode, int flag, const std::string& operatorCode,
                            const std::string& right, const std::string& connStr, bool& granted) = 0;
};

}  // namespace data
