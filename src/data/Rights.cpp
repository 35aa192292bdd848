#include "data/Rights.h"

#include "data/ComponentFactory.h"
#include "data/RightsComponent.h"
#include "data/HostContext.h"
#include "ui/Toolkit.h"

namespace data {

bool HasRight(const std::string& right) {
    auto rights = ComponentFactory::CreateAs<RightsComponent>(ComponentName::Rights);
    bool granted = false;
    const auto& host = data::Host();
    rights->CheckRight(kModuleCode, -1, host.OptCode, right, host.ConnStr, granted);
    return granted;
}

void ShowNoRight() { ui::MsgBox("对不起，你没有此权限！", ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示"); }

bool CheckRight(const std::string& right) {
    if (HasRight(right)) return true;
    ShowNoRight();
    return false;
}

}  // namespace data
