#include "host/TableRightsComponent.h"

#include "data/ComponentFactory.h"
#include "data/QueryRoutines.h"
#include "host/KeptConnection.h"

namespace host {

void TableRightsComponent::CheckRight(const std::string& moduleCode, int, const std::string& operatorCode,
                                      const std::string& right, const std::string& connStr, bool& granted) {
    granted = false;
    const auto rows = QueryOnKeptConnection(
        connStr, "select count(*) as n from t_OperatorRight where FModule='" + data::EscapeQuote(moduleCode) +
                     "' and FOperator='" + data::EscapeQuote(operatorCode) + "' and FRight='" + data::EscapeQuote(right) + "'");
    granted = !rows->rows.empty() && !rows->rows[0].empty() && rows->rows[0][0].ToInt64() > 0;
}

void RegisterTableRights() {
    data::ComponentFactory::Register(data::ComponentName::Rights, [] { return std::make_unique<TableRightsComponent>(); });
}

}  // namespace host
