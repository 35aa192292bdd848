// The plug-in's C entry points over entry::SubAdjuctPriceBill. Installs the Qt toolkit and the
// window views when the host has not installed a toolkit of its own.
#include "plugin/SubPriceBillApi.h"

#include <cstdio>
#include <memory>
#include <string>

#include "bill/PendingPrices.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "entry/SubAdjuctPriceBill.h"
#include "plugin/PluginViews.h"

struct spb_bill {
    entry::SubAdjuctPriceBill object;
};

namespace {
std::string Text(const char* s) { return s ? std::string(s) : std::string(); }
// Entry objects alive; the windowing set up for them is taken down with the last one.
int g_liveBills = 0;
}  // namespace

extern "C" {

spb_bill* spb_create(void) {
    try {
        auto* bill = std::make_unique<spb_bill>().release();
        ++g_liveBills;
        return bill;
    } catch (...) {
        return nullptr;
    }
}

int spb_set_sysdate(spb_bill* b, int year, int month, int day) {
    try {
        return b && b->object.SysDate(db::DateTime{year, month, day}) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
void spb_set_command_timeout(spb_bill* b, int16_t seconds) {
    if (b) b->object.CommandTimeout(seconds);
}
void spb_set_connstr(spb_bill* b, const char* s) {
    try { if (b) b->object.ConnStr(Text(s)); } catch (...) {}
}
void spb_set_optcode(spb_bill* b, const char* s) {
    try { if (b) b->object.OptCode(Text(s)); } catch (...) {}
}
void spb_set_optname(spb_bill* b, const char* s) {
    try { if (b) b->object.OptName(Text(s)); } catch (...) {}
}
void spb_set_category(spb_bill* b, const char* s) {
    try { if (b) b->object.Category(Text(s)); } catch (...) {}
}

void spb_execute(spb_bill* b) {
    if (!b) return;
    // Without a display no window can show the reason: it goes to the standard error stream, and
    // the run ends as one whose connection could not be opened would.
    std::string problem;
    try {
        problem = plugin::PrepareWindowing();
    } catch (const std::exception& e) {
        problem = std::string("无法显示窗口：") + e.what();
    } catch (...) {
        problem = "无法显示窗口。";
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "分支机构调价单：%s\n", problem.c_str());
        return;
    }
    b->object.Execute();
}

void spb_release(spb_bill* b) {
    if (!b) return;
    {
        // Takes back the ownership handed out by spb_create.
        std::unique_ptr<spb_bill> owned(b);
    }
    if (--g_liveBills == 0) {
        try {
            plugin::FinishWindowing();
        } catch (...) {
        }
    }
}

long spb_apply_due(const char* connstr, int16_t timeout, int year, int month, int day, spb_report_line report,
                   void* context) {
    auto say = [&](const std::string& line, int error) {
        if (report) report(line.c_str(), error, context);
    };
    try {
        const db::DateTime date{year, month, day};
        if (!date.IsValid()) {
            say("日期“" + date.DateText() + "”不是有效的日期", 1);
            return -1;
        }
        db::Connection c;
        c.SetCommandTimeout(timeout);
        c.Open(Text(connstr));
        long long prices = 0;
        const auto applied = bill::ApplyDuePrices(c, date, [&](const bill::AppliedBill& b) {
            prices += b.prices;
            say("流水号 " + b.lsh + "（执行日期 " + b.date + "）：" + std::to_string(b.prices) + " 个价格已生效", 0);
        });
        say("共 " + std::to_string(applied.size()) + " 张单据、" + std::to_string(prices) + " 个价格生效", 0);
        return static_cast<long>(applied.size());
    } catch (const std::exception& e) {
        try {
            say("待生效的价格未能生效：" + db::DescriptionOf(e), 1);
        } catch (...) {
        }
    } catch (...) {
    }
    return -1;
}

}  // extern "C"
