// Creates the host's components by name. The host program (or a test) registers a maker for each
// name; creating a name nobody registered fails like a component that is not installed.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "data/Component.h"
#include "db/Error.h"

namespace data {

namespace ComponentName {
inline constexpr const char* Rights = "RightsComponent";
inline constexpr const char* Lookup = "LookupWindow";
inline constexpr const char* PrintEngine = "PrintEngine";
inline constexpr const char* Reprint = "ReprintComponent";
inline constexpr const char* ReportGrid = "ReportGrid";
}  // namespace ComponentName

class ComponentFactory {
public:
    using Maker = std::function<std::unique_ptr<Component>()>;
    static void Register(const std::string& name, Maker maker);
    static void Unregister(const std::string& name);
    static bool IsRegistered(const std::string& name);
    // Throws db::Error when no maker is registered or the maker gives nothing.
    static std::unique_ptr<Component> Create(const std::string& name);

    template <typename T>
    static std::unique_ptr<T> CreateAs(const std::string& name) {
        std::unique_ptr<Component> c = Create(name);
        if (auto* t = dynamic_cast<T*>(c.get())) {
            c.release();
            return std::unique_ptr<T>(t);
        }
        throw db::Error(429, "部件不能创建对象：" + name);
    }
};

}  // namespace data
