// The plug-in as the host sees it: loaded with dlopen, driven through its C entry points.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "data/HostContext.h"
#include "plugin/SubPriceBillApi.h"
#include "support/TestDatabase.h"

using testing_support::TestDatabase;

namespace {

struct Plugin {
    Plugin() : handle(dlopen(SPB_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL)) {}
    ~Plugin() {
        if (handle) dlclose(handle);
    }
    template <typename F>
    F Get(const char* name) {
        return reinterpret_cast<F>(dlsym(handle, name));
    }
    void* handle;
};

}  // namespace

TEST(PluginAbi, ExecuteReportsABadConnectionAndNothingEscapes) {
    TestDatabase t(true);  // installs the headless toolkit, which the plug-in then uses
    Plugin p;
    ASSERT_NE(p.handle, nullptr) << dlerror();
    auto create = p.Get<decltype(&spb_create)>("spb_create");
    auto setConn = p.Get<decltype(&spb_set_connstr)>("spb_set_connstr");
    auto setCode = p.Get<decltype(&spb_set_optcode)>("spb_set_optcode");
    auto setName = p.Get<decltype(&spb_set_optname)>("spb_set_optname");
    auto execute = p.Get<decltype(&spb_execute)>("spb_execute");
    auto release = p.Get<decltype(&spb_release)>("spb_release");
    ASSERT_TRUE(create && setConn && setCode && setName && execute && release);

    spb_bill* bill = create();
    setConn(bill, "Provider=SQLOLEDB;Data Source=nowhere;Password=pa55");
    setCode(bill, "0001");
    setName(bill, nullptr);  // a null text is taken as empty
    execute(bill);
    ASSERT_EQ(t.Toolkit().Messages().size(), 1u);
    EXPECT_EQ(t.Toolkit().Messages()[0].message.title, "系统提示");
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
