#include "EditorFixture.h"

#include "data/ComponentFactory.h"
#include "data/LookupWindow.h"
#include "data/PrintEngine.h"
#include "data/QueryRoutines.h"
#include "data/SystemSettings.h"
#include "support/ScriptedLookup.h"
#include "db/Connection.h"
#include "ui/Keys.h"

namespace billtest {

LookupLog& Lookups() {
    static LookupLog log;
    return log;
}

PrintLog& Prints() {
    static PrintLog log;
    return log;
}

namespace {

class RecordingPrintEngine : public data::PrintEngine {
public:
    void SetConnection(db::Connection&) override { Prints().calls.push_back("connection"); }
    void SetCompany(const std::string& c) override { Prints().calls.push_back("company " + c); }
    void SetFlag(int f) override { Prints().calls.push_back("flag " + std::to_string(f)); }
    void SetTable(int i, const std::string& n) override { Prints().calls.push_back("table " + std::to_string(i) + n); }
    void Print(int type, std::string& serials, bool& flag) override {
        Prints().calls.push_back("print " + std::to_string(type) + " " + serials + (flag ? " true" : " false"));
    }
};

}  // namespace

Editor::Editor() {
    t.OpenHostConnection("0001", "系统管理员");
    for (auto r : {"新增", "修改", "删除", "打印", "记帐", "审核", "重打"}) t.Grant("0001", r);
    t.Exec("insert into gl_custom (tjbh,mc,zjm) values ('001','一分店','yfd'),('002','二分店','efd'),('0031','三一店','ssd')");
    t.Exec("insert into glsx (id,name,fid) values ('1','大店',3),('10','中店',3),('21','小店',3),('5','社区店',3),('7','颜色',2)");
    t.Exec("insert into yw_kck (hh,pm,gg,cd,pdw,pm_zjm,FDeleted) values "
           "('A1','苹果','500g','烟台','袋','pg',0),('A12','苹果汁','1L','烟台','瓶','pgz',NULL),"
           "('B2','香蕉','1kg','海南','把','xj',0),('X','鸭梨','1kg','河北','个','yl',0),('D9','旧货','','','个','jh',1)");
    t.Exec("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('A1','001',3,0,5.5),('B2','001',0,0,4)");
    data::Host().BranchMode = data::ByBranch;
    data::Host().SysDate = {2026, 12, 6};
    data::Settings().jjbl = 2;  // the price decimals of a usual host
    data::Settings().PriceChangeWarnPercent = data::kDefaultPriceChangeWarnPercent;
    data::Settings().PricesOnExecDate = false;
    Lookups() = {};
    Prints() = {};
    // One row is taken at once, one of several as Lookups().pick says.
    data::ComponentFactory::Register(data::ComponentName::Lookup, [] {
        return std::make_unique<testing_support::ScriptedLookup>([](const std::string& sql, const db::Recordset& rows) {
            auto& log = Lookups();
            log.statements.push_back(sql);
            const long n = rows.RecordCount();
            log.rowCounts.push_back(static_cast<size_t>(n));
            if (n == 0 || (n > 1 && log.pick < 0)) return -1L;
            return n == 1 ? 0L : static_cast<long>(log.pick);
        });
    });
    data::ComponentFactory::Register(data::ComponentName::PrintEngine, []() -> std::unique_ptr<data::Component> {
        if (!Prints().registered) return nullptr;
        return std::make_unique<RecordingPrintEngine>();
    });
    bill::Shared() = {};
}

Editor::~Editor() {
    data::ComponentFactory::Unregister(data::ComponentName::Lookup);
    data::ComponentFactory::Unregister(data::ComponentName::PrintEngine);
    bill::Shared() = {};
}

void Editor::Open(const std::string& lsh, std::function<void(bill::FrmAdjuctPrice&)> act) {
    auto& shared = bill::Shared();
    shared.CurrentLsh = lsh;
    shared.IsNewBill = lsh.empty();
    shared.EditorInstance = std::make_shared<bill::FrmAdjuctPrice>();
    auto editor = shared.EditorInstance;
    t.Toolkit().OnShow("FrmAdjuctPrice", [&](ui::Window&) { act(*editor); });
    editor->ShowModal();
    EXPECT_EQ(shared.EditorInstance, nullptr) << "the unload drops the shared window";
}

void Editor::Key(bill::FrmAdjuctPrice& w, ui::Control& c, int key) {
    w.SetFocus(c);
    int k = key;
    w.OnKeyDown(k, 0);
    if (k != 0) c.RaiseKeyDown(k, 0);
}

void Editor::EnterLine(bill::FrmAdjuctPrice& w, const std::string& code, double newPrice) {
    w.SetFocus(w.TxtHH);
    w.TxtHH.TypedText(code);
    Key(w, w.TxtHH, ui::Key::Enter);
    EXPECT_EQ(w.Focused(), &w.TxtNSj) << code;
    w.TxtNSj.EnteredValue(newPrice);
    Key(w, w.TxtNSj, ui::Key::Enter);
    EXPECT_EQ(w.Focused(), &w.Cmd_Save);
    w.Cmd_Save.Click();
    ui::CurrentToolkit().ProcessEvents();
}

bool Editor::Meanwhile(const std::string& fragment, const std::function<void()>& meanwhile,
                       const std::function<void()>& command) {
    auto& host = *data::Host().HostConnection;
    bool reached = false;
    host.SetTrace([&](const std::string& s) {
        if (!reached && s.find(fragment) != std::string::npos) { reached = true; meanwhile(); }
    });
    struct Untrace {
        db::Connection& c;
        ~Untrace() { c.SetTrace({}); }
    } untrace{host};
    command();
    return reached;
}

void Editor::Bill(const std::string& lsh, const std::string& dwbh, int shbz, const std::vector<std::string>& itemsAtPrices,
                  const std::string& bz5, const std::string& execdate) {
    testing_support::TestDatabase::StoredBill b{lsh, dwbh, shbz, 0, {}, execdate, bz5};
    for (size_t i = 0; i + 1 < itemsAtPrices.size(); i += 2)
        b.lines.push_back({itemsAtPrices[i], std::stod(itemsAtPrices[i + 1]), std::stod(itemsAtPrices[i + 1])});
    t.StoreBill(b);
}

std::vector<std::string> Editor::MessageTexts() {
    std::vector<std::string> texts;
    for (auto& m : t.Toolkit().Messages()) texts.push_back(m.message.text);
    return texts;
}

}  // namespace billtest
