#include "data/ComponentFactory.h"

#include <map>

namespace data {
namespace {
std::map<std::string, ComponentFactory::Maker>& Makers() {
    static std::map<std::string, ComponentFactory::Maker> makers;
    return makers;
}
}  // namespace

void ComponentFactory::Register(const std::string& name, Maker maker) { Makers()[name] = std::move(maker); }
void ComponentFactory::Unregister(const std::string& name) { Makers().erase(name); }
bool ComponentFactory::IsRegistered(const std::string& name) { return Makers().count(name) > 0; }

std::unique_ptr<Component> ComponentFactory::Create(const std::string& name) {
    auto it = Makers().find(name);
    if (it == Makers().end() || !it->second) throw db::Error(429, "部件不能创建对象：" + name);
    auto c = it->second();
    if (!c) throw db::Error(429, "部件不能创建对象：" + name);
    return c;
}

}  // namespace data
