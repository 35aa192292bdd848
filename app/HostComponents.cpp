#include "app/HostComponents.h"

#include "host/TableRightsComponent.h"

namespace app {

void RegisterHostComponents(const std::string& /*outputFolder*/) {
    host::RegisterTableRights();
}

}  // namespace app
