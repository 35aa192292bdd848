// The host's rights component: rights are rows (module code, operator code, right name) of the
// host table t_OperatorRight; whatever no row grants is denied. Opens its own connection from
// the connection string it is given, kept for the next use (KeptConnection.h).
#pragma once
#include "data/RightsComponent.h"

namespace host {

class TableRightsComponent : public data::RightsComponent {
public:
    void CheckRight(const std::string& moduleCode, int flag, const std::string& operatorCode, const std::string& right,
                    const std::string& connStr, bool& granted) override;
};

// Registers the component with the factory under its name.
void RegisterTableRights();

}  // namespace host
