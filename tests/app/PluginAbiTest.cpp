// The plug-in as the host sees it: loaded with dlopen, driven through its C entry points.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>

#include "data/HostContext.h"
#include "plugin/SubPriceBillApi.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

namespace {

struct Plugin {
    Plugin() : handle(dlopen(SPB_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL), [](void* h) { dlclose(h); }) {}
    std::unique_ptr<void, void (*)(void*)> handle;
};
#define SPB_ENTRY(plugin, name) reinterpret_cast<decltype(&name)>(dlsym((plugin).handle.get(), #name))

}  // namespace

TEST(PluginAbi, ExecuteReportsABadConnectionAndNothingEscapes) {
    TestDatabase t(true);  // installs the headless toolkit, which the plug-in then uses
    Plugin p;
    ASSERT_NE(p.handle, nullptr) << dlerror();
    auto create = SPB_ENTRY(p, spb_create);
    auto setConn = SPB_ENTRY(p, spb_set_connstr);
    auto setCode = SPB_ENTRY(p, spb_set_optcode);
    auto setName = SPB_ENTRY(p, spb_set_optname);
    auto execute = SPB_ENTRY(p, spb_execute);
    auto release = SPB_ENTRY(p, spb_release);
    ASSERT_TRUE(create && setConn && setCode && setName && execute && release);

    spb_bill* bill = create();
    setConn(bill, "Provider=SQLOLEDB;Data Source=nowhere;Password=pa55");
    setCode(bill, "0001");
    setName(bill, nullptr);  // a null text is taken as empty
    execute(bill);
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    EXPECT_EQ(t.Toolkit().Messages()[0].message.text.find("pa55"), std::string::npos);
    EXPECT_TRUE(t.Toolkit().ShownWindows().empty());

    // The host context is shared with the plug-in: the next run uses the values set before.
    setConn(bill, t.ConnStr().c_str());
    execute(bill);
    EXPECT_EQ(t.Toolkit().ShownWindows(), std::vector<std::string>{"frmSub"});
    EXPECT_EQ(data::Host().OptCode, "0001");
    EXPECT_FALSE(data::Host().HostConnection);
    release(bill);
    release(nullptr);
    execute(nullptr);
}
