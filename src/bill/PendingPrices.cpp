#include "bill/PendingPrices.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "data/SystemSettings.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;

// Types every target takes as written: no datetime (PostgreSQL has none), so the execution date
// is a date and the time applied a text. Rows are only ever looked up by serial, state and date,
// never by a code, so the plain text types compare well enough everywhere.
constexpr const char* kCreateTable =
    "create table SubAdjuctPricePending (lsh varchar(20) not null, hh varchar(30), dwbh varchar(20) not null, "
    "bz5 varchar(10), sj2 numeric(18,4), zxrq date not null, zt int not null, yxsj varchar(19))";
// One row per item of a bill: a bill staged twice fails rather than applying twice.
constexpr const char* kCreateKey = "create unique index ux_SubAdjuctPricePending on SubAdjuctPricePending (lsh, hh)";
constexpr const char* kCreateDueIndex = "create index ix_SubAdjuctPricePending_due on SubAdjuctPricePending (zt, zxrq)";

constexpr size_t kWaitingNamed = 5;

struct Refused {
    std::string text;
};

// A second try gets past a unique key's clash with another writer of the same price or a deadlock.
bool WorthAnotherTry(const db::Error& e) {
    return e.Code() == db::ErrorCode::IntegrityViolation || e.SqlState() == "40P01" || e.SqlState() == "40001";
}

std::string Now() {
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&t, &local);
    char text[20];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

bool PricesWaitForExecDate() { return data::Settings().PricesOnExecDate; }

bool PendingTableExists(db::Connection& c) {
    try {
        c.OpenRecordset("select count(*) as n from SubAdjuctPricePending where 1=0").Close();
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

void EnsurePendingTable(db::Connection& c) {
    if (PendingTableExists(c)) return;
    try {
        c.Execute(kCreateTable);
    } catch (const db::Error&) {
        // Another session made it meanwhile; otherwise its error is the one to report.
        if (PendingTableExists(c)) return;
        throw;
    }
    c.Execute(kCreateKey);
    c.Execute(kCreateDueIndex);
}

void WriteTargetPrices(db::Connection& c, const std::string& key, const std::string& target) {
    // The existing rows first, then the missing ones, which the insert gives their new price
    // itself: the other order would write every inserted row a second time with the same value
    // (on a server, a second row version and its index entries each).
    std::string sql = "Update a set a.sellprice=b.sj2 from glprice a inner join (select * from SubAdjuctPriceMX where lsh='" +
                      key + "') b on a.hh=b.hh where a.dwbh='" + target + "'";
    c.Execute(sql);
    // Present means: a row of this item at this very target (item and target compared one by
    // one, so item 1 at 23 is not taken for item 12 at 3).
    sql = "INSERT INTO GLPRICE (HH,DWBH,SJ,ZK,SELLPRICE ) SELECT HH,'" + target +
          "',0,0,SJ2 FROM SubAdjuctPriceMX m where m.lsh='" + key +
          "' and not exists (select 1 from glprice g where g.hh=m.hh and g.dwbh='" + target + "')";
    c.Execute(sql);
}

std::optional<db::DateTime> WaitingDate(db::Connection& c, const std::string& key) {
    db::Recordset rs = c.OpenRecordset("select execdate from SubAdjuctPrice where lsh='" + key + "'");
    std::optional<db::DateTime> date;
    if (rs.RecordCount() > 0) {
        const db::Value v = rs.Get(0);
        try {
            if (!v.IsNull() && !v.IsEmpty()) date = v.ToDate();
        } catch (...) {
        }
    }
    rs.Close();
    // Compared by day: a bill executed today takes effect now.
    if (!date || date->DateText() <= data::Host().SysDate.DateText()) return std::nullopt;
    return db::DateTime{date->year, date->month, date->day};
}

void StagePendingPrices(db::Connection& c, const std::string& key, const std::string& target, const db::DateTime& date) {
    std::string sql = "insert into SubAdjuctPricePending (lsh,hh,dwbh,bz5,sj2,zxrq,zt) select lsh,hh,'" + target +
                      "',(select isnull(bz5,'') from SubAdjuctPrice where lsh='" + key + "'),sj2,'" + date.DateText() +
                      "',0 from SubAdjuctPriceMX where lsh='" + key + "'";
    c.Execute(sql);
}

std::string TakesEffectText(const db::DateTime& date) { return TakesEffectText(date.DateText()); }
std::string TakesEffectText(const std::string& date) { return "新价格将于 " + date + " 生效"; }

std::string WaitingStatusText(const std::string& lsh) {
    if (!PricesWaitForExecDate() || lsh.empty()) return {};
    try {
        db::Connection& c = data::HostConnection();
        if (!PendingTableExists(c)) return {};
        const auto waiting = WaitingBills(c, {lsh});
        if (waiting.empty()) return {};
        return std::string(kPendingState) + "：" + TakesEffectText(waiting.begin()->second);
    } catch (const std::exception&) {
        return {};  // the line is a hint; the bill itself loaded
    }
}

std::vector<AppliedBill> ApplyDuePrices(db::Connection& c, const db::DateTime& businessDate,
                                        const std::function<void(const AppliedBill&)>& done) {
    std::vector<AppliedBill> applied;
    if (!PendingTableExists(c)) return applied;  // nothing ever waited here
    const std::string day = businessDate.DateText();
    std::vector<AppliedBill> due;
    {
        db::Recordset rs = c.OpenRecordset("select lsh,zxrq from SubAdjuctPricePending where zt=0 and zxrq<='" + day +
                                           "' group by lsh,zxrq order by zxrq,cast(lsh as int)");
        for (long i = 0; i < rs.RecordCount(); ++i) due.push_back({rs.At(i, 0).ToText(), db::FieldDay(rs.At(i, 1)), 0});
        rs.Close();
    }
    for (AppliedBill& bill : due) {
        const std::string key = EscapeQuote(bill.lsh);
        for (int attempt = 1;; ++attempt) {
            try {
                db::TransactionGuard transaction(c);
                // The claim: a second applier waits for this one's commit and then finds no
                // waiting row of the bill, or finds none already.
                bill.prices = c.Execute("update SubAdjuctPricePending set zt=1,yxsj='" + Now() + "' where lsh='" + key +
                                        "' and zt=0");
                if (bill.prices > 0) {
                    db::Recordset target = c.OpenRecordset("select dwbh from SubAdjuctPricePending where lsh='" + key + "'");
                    const std::string dwbh = target.RecordCount() > 0 ? target.Get(0).ToText() : std::string();
                    target.Close();
                    WriteTargetPrices(c, key, EscapeQuote(dwbh));
                }
                transaction.Commit();
                break;
            } catch (const db::Error& e) {
                if (attempt > 1 || !WorthAnotherTry(e)) throw;
                if (e.Code() != db::ErrorCode::IntegrityViolation) std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        }
        if (bill.prices == 0) continue;
        applied.push_back(bill);
        if (done) done(bill);
    }
    return applied;
}

void ApplyDuePricesAtStart() {
    if (!PricesWaitForExecDate()) return;
    try {
        ApplyDuePrices(data::HostConnection(), data::Host().SysDate);
    } catch (const std::exception& e) {
        ui::MsgBox("待生效的价格未能生效：" + db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
}

std::map<std::string, std::string> WaitingBills(db::Connection& c, const std::vector<std::string>& serials) {
    std::string sql = "select lsh,zxrq from SubAdjuctPricePending where zt=0";
    if (!serials.empty()) {
        sql += " and lsh in (";
        for (size_t i = 0; i < serials.size(); ++i) sql += (i ? ",'" : "'") + EscapeQuote(serials[i]) + "'";
        sql += ")";
    }
    db::Recordset rs = c.OpenRecordset(sql + " group by lsh,zxrq");
    std::map<std::string, std::string> waiting;
    for (long i = 0; i < rs.RecordCount(); ++i) waiting[rs.At(i, 0).ToText()] = db::FieldDay(rs.At(i, 1));
    rs.Close();
    return waiting;
}

std::string PendingStateColumn(const std::string& alias) {
    return ",case when exists (select 1 from SubAdjuctPricePending P where P.LSH=" + alias +
           ".LSH and P.ZT=0) then '" + kPendingState + "' else '' end AS 生效状态 ";
}

std::string WaitingConflictText(const std::map<std::string, std::string>& waiting) {
    if (waiting.empty()) return {};
    std::string list;
    size_t named = 0;
    for (const auto& [lsh, date] : waiting) {
        if (named++ == kWaitingNamed) break;
        list += (named > 1 ? "、" : "") + lsh + "（" + date + "）";
    }
    if (waiting.size() > kWaitingNamed) list += "等" + std::to_string(waiting.size()) + "张单据";
    return std::string("另有") + kPendingState + "的新价格（流水号：" + list + "）";
}

std::string WaitingConflictNote(const FrmAdjuctPrice& editor) {
    try {
        const std::string item = editor.TxtHH.Text();
        const std::string target = editor.TxtDwbh.Text();
        if (item.empty() || target.empty()) return {};
        db::Connection& c = data::HostConnection();
        if (!PendingTableExists(c)) return {};
        db::Recordset rs = c.OpenRecordset(
            "select b.lsh,p.zxrq from SubAdjuctPricemx a inner join SubAdjuctPrice b on a.lsh=b.lsh inner join "
            "SubAdjuctPricePending p on p.lsh=a.lsh where a.hh='" +
            EscapeQuote(item) + "' and b.dwbh='" + EscapeQuote(target) + "' and p.zt=0 and b.lsh<>'" +
            EscapeQuote(editor.TxtLSH.Text()) + "' group by b.lsh,p.zxrq");
        std::map<std::string, std::string> waiting;
        for (long i = 0; i < rs.RecordCount(); ++i) waiting[rs.At(i, 0).ToText()] = db::FieldDay(rs.At(i, 1));
        rs.Close();
        return WaitingConflictText(waiting);
    } catch (...) {
        return {};
    }
}

void WithdrawPendingCommand(FrmAdjuctPrice& editor) {
    if (!data::CheckRight("审核")) return;
    const std::string lsh = editor.TxtLSH.Text();
    constexpr const char* kNothing = "此单据没有待生效的价格，不能撤回!";
    try {
        db::Connection& c = data::HostConnection();
        const bool waiting =
            !Shared().IsNewBill && !lsh.empty() && PendingTableExists(c) && !WaitingBills(c, {lsh}).empty();
        if (!waiting) {
            ui::MsgBox(kNothing, ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
            return;
        }
        if (ui::MsgBox("确实要撤回此单据待生效的价格吗?", ui::Buttons::YesNo, ui::Icon::Information, "系统提示",
                       ui::DefaultButton::Second) != ui::Answer::Yes)
            return;
        const std::string key = EscapeQuote(lsh);
        {
            db::TransactionGuard transaction(c);
            // The header first: it carries the audited and not posted condition, and its lock
            // keeps an applier of this bill waiting or makes this wait for it.
            std::string sql = "update SubAdjuctPrice set shbz=0,shry='' where lsh='" + key + "' and shbz=1 and isnull(jzbz,0)=0";
            if (c.Execute(sql) == 0) throw Refused{"此单据已记帐，不能撤回!"};
            sql = "delete from SubAdjuctPricePending where lsh='" + key + "' and zt=0";
            // Applied meanwhile: the prices are in glprice and the bill stays audited.
            if (c.Execute(sql) == 0) throw Refused{"此单据的价格已生效，不能撤回!"};
            transaction.Commit();
        }
        editor.TxtSh.SetText("");
        editor.ShowAudited(false);
        editor.FillLineGrid(lsh);
    } catch (const Refused& r) {
        ui::MsgBox(r.text, ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
}

}  // namespace bill
