#include "host/TableRightsComponent.h"

#include "data/ComponentFactory.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"

namespace host {

void TableRightsComponent::CheckRight(const std::string& moduleCode, int, const std::string& operatorCode,
                                      const std::string& right, const std::string& connStr, bool& granted) {
    granted = false;
    db::Connection c;
    c.Open(connStr);
    auto rs = c.OpenRecordset("select count(*) as n from t_OperatorRight where FModule='" + data::EscapeQuote(moduleCode) +
                              "' and FOperator='" + data::EscapeQuote(operatorCode) + "' and FRight='" +
                              data::EscapeQuote(right) + "'");
    granted = rs.RecordCount() > 0 && rs.Get(0).ToInt64() > 0;
}

void RegisterTableRights() {
    data::ComponentFactory::Register(data::ComponentName::Rights, [] { return std::make_unique<TableRightsComponent>(); });
}

}  // namespace host
