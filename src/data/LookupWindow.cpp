#include "data/LookupWindow.h"

#include "data/ComponentFactory.h"
#include "data/HostContext.h"

namespace data {

std::vector<db::Value> ShowLookup(const std::string& sql, std::int16_t mode) {
    auto lookup = ComponentFactory::CreateAs<LookupWindow>(ComponentName::Lookup);
    lookup->SetConnectionString(data::Host().ConnStr);
    lookup->SetStatement(sql);
    lookup->SetMode(mode);
    lookup->Show();
    return lookup->Result();
}

}  // namespace data
