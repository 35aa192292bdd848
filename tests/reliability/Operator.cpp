// Another operator's process for the reliability tests, on the real window logic and the headless
// toolkit. CONNSTR and then one command (exit 3 after a message, 4 when the bill is not listed):
//   post|delete LSH (marked in the browser), exec|scalar SQL, hold SECONDS SQL (in a transaction);
// or many: stress NAME BRANCH ROUNDS SEED (random commands, each logged "round N COMMAND LSH
// done|refused|unconfirmed ... t=START-END", then "expect HH DWBH PRICE" for each newest audited
// price), save-loop NAME BRANCH ("saved LSH"), audit-loop NAME FIRST LAST ("begin/done LSH").
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "browser/FrmBrowser.h"
#include "data/ComponentFactory.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "data/SystemSettings.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "host/TableRightsComponent.h"
#include "support/ScriptedLookup.h"
#include "ui/Keys.h"
#include "ui/headless/HeadlessToolkit.h"

namespace {

using data::EscapeQuote;

// The code the operator typed: the item lookup takes the row with that code, else the first.
std::string typed;

long TypedCodeRow(const std::string&, const db::Recordset& rows) {
    for (long i = 0; i < rows.RecordCount(); ++i)
        if (rows.At(static_cast<int>(i), 0).ToText() == typed) return i;
    return rows.RecordCount() > 0 ? 0 : -1;
}

db::Connection& Db() { return data::HostConnection(); }

std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> out;
    db::Recordset rs = Db().OpenRecordset(sql);
    for (long i = 0; i < rs.RecordCount(); ++i) out.push_back(rs.At(i, 0).IsNull() ? "" : rs.At(i, 0).ToText());
    return out;
}

std::string Scalar(const std::string& sql) {
    const auto c = Column(sql);
    return c.empty() ? std::string() : c[0];
}

std::string Of(const std::string& lsh) { return "SubAdjuctPrice where lsh='" + EscapeQuote(lsh) + "'"; }

long long Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Marks the bill in the browser and runs `command` on it; false when it is not listed.
bool OnMarkedBill(ui::HeadlessToolkit& tk, const std::string& lsh, void (browser::FrmBrowser::*command)()) {
    bool listed = false;
    browser::FrmBrowser w;
    tk.OnShow("FrmBrowser", [&](ui::Window&) {
        for (int r = 1; r < w.Vs.Rows(); ++r)
            if (w.Vs.TextMatrix(r, 1) == lsh) {
                w.Vs.SetTextMatrix(r, 0, browser::kMark);
                listed = true;
            }
        if (!listed) return;
        tk.QueueAnswer(ui::Answer::Yes);
        (w.*command)();
    });
    w.ShowModal();
    return listed;
}

class Operator {
public:
    Operator(ui::HeadlessToolkit& tk, std::string name, std::string branch, unsigned seed)
        : tk_(tk), name_(std::move(name)), branch_(std::move(branch)), rng_(seed),
          items_(Column("select hh from yw_kck where isnull(FDeleted,0)=0 order by hh limit 40")) {}

    void Round(int n) {
        n_ = n;
        started_ = Now();
        before_ = tk_.Messages().size();
        const int pick = Pick(100);
        if (pick < 40) AddLine(pick < 25 ? "" : MyOpenBill());
        else if (pick < 52) AmendLine();
        else if (pick < 62) DeleteLine();
        else if (pick < 75) Audit(MyOpenBill());
        else if (pick < 87) Post();
        else DeleteBill();
    }

    void SaveLoop() {
        for (;;) {
            std::string lsh;
            Editor("", [&](bill::FrmAdjuctPrice& w) {
                w.TxtDwbh.SetText(branch_);
                EnterLine(w, Item(), Price());
                lsh = w.TxtLSH.Text();
                EnterLine(w, Item(), Price());
            });
            std::cout << "saved " << lsh << std::endl;
        }
    }

    void AuditLoop(int first, int last) {
        for (int i = first; i <= last; ++i) {
            const std::string lsh = std::to_string(i);
            Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
                std::cout << "begin " << lsh << std::endl;  // the window is loaded: the audit starts now
                w.AuditBill(lsh);
            });
            std::cout << "done " << lsh << std::endl;
        }
    }

    void Summary() {
        for (const auto& [key, price] : expected_) std::cout << "expect " << key.first << " " << key.second << " " << price << std::endl;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    std::string Item() { return items_.at(static_cast<size_t>(Pick(static_cast<int>(items_.size())))); }
    double Price() { return std::round(std::uniform_real_distribution<double>(1, 99)(rng_) * 100) / 100; }

    // A random bill of the list; half the time one of the newest, which the other operator is
    // likely working on as well. Empty when there is none.
    std::string Recent(const std::string& sql) {
        const auto all = Column(Pick(2) == 0 ? sql : sql + " order by cast(lsh as int) desc limit 3");
        return all.empty() ? std::string() : all[static_cast<size_t>(Pick(static_cast<int>(all.size())))];
    }
    std::string MyOpenBill() {
        return Recent("select lsh from SubAdjuctPrice h where czry='" + EscapeQuote(name_) +
                      "' and isnull(shbz,0)=0 and exists (select 1 from SubAdjuctPricemx m where m.lsh=h.lsh)");
    }

    // Shows the editor on a bill (a new one for "") and runs `act`.
    void Editor(const std::string& lsh, const std::function<void(bill::FrmAdjuctPrice&)>& act) {
        auto& shared = bill::Shared();
        shared.CurrentLsh = lsh;
        shared.IsNewBill = lsh.empty();
        auto editor = shared.EditorInstance = std::make_shared<bill::FrmAdjuctPrice>();
        tk_.OnShow("FrmAdjuctPrice", [&](ui::Window&) { act(*editor); });
        editor->ShowModal();
    }

    static void Key(bill::FrmAdjuctPrice& w, ui::Control& c) {
        w.SetFocus(c);
        int k = ui::Key::Enter;
        w.OnKeyDown(k, 0);
        if (k != 0) c.RaiseKeyDown(k, 0);
    }

    // Item code, Enter, new price, Enter, Save: the keyboard path of one line.
    static void EnterLine(bill::FrmAdjuctPrice& w, const std::string& code, double price) {
        typed = code;
        w.SetFocus(w.TxtHH);
        w.TxtHH.TypedText(code);
        Key(w, w.TxtHH);
        w.TxtNSj.EnteredValue(price);
        Key(w, w.TxtNSj);
        w.Cmd_Save.Click();
        ui::CurrentToolkit().ProcessEvents();
    }

    // "done" when `effect` holds and nothing was shown, "refused" with the messages shown, else
    // "unconfirmed": the test accepts that only where the other operator's log explains it.
    void Outcome(const std::string& command, const std::string& lsh, bool effect) {
        std::string shown, asked;
        for (size_t i = before_; i < tk_.Messages().size(); ++i) {
            const auto& m = tk_.Messages()[i];
            if (m.message.buttons == ui::Buttons::Ok) shown += (shown.empty() ? "" : " / ") + m.message.text;
            asked += " [" + m.message.text + (m.answer == ui::Answer::Yes ? " -> yes]" : " -> no]");
        }
        std::replace(shown.begin(), shown.end(), '\n', ' ');
        std::cout << "round " << n_ << " " << command << " " << lsh;
        if (!shown.empty())
            std::cout << (effect ? " done with message: " : " refused: ") << db::text::Abbreviate(shown, 300);
        else
            std::cout << (effect ? " done" : " unconfirmed: neither done nor a message;" + asked);
        std::cout << " t=" << started_ << "-" << Now() << std::endl;
    }

    bool HasLine(const std::string& lsh, const std::string& hh, double price) {
        return Scalar("select count(*) from SubAdjuctPricemx where lsh='" + EscapeQuote(lsh) + "' and hh='" + EscapeQuote(hh) +
                      "' and abs(sj2-(" + db::FormatDouble(price) + "))<0.00001") != "0";
    }

    // A line on a bill of its own, or on a new bill for "".
    void AddLine(std::string lsh) {
        const std::string code = Item(), command = lsh.empty() ? "new" : "add-line";
        const double price = Price();
        const bool isNew = lsh.empty();
        Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
            if (isNew) w.TxtDwbh.SetText(branch_);
            EnterLine(w, code, price);
            if (isNew) lsh = w.TxtLSH.Text();
        });
        Outcome(command, lsh, HasLine(lsh, code, price));
    }

    // The first line of anyone's open bill: the other operator may audit or delete it meanwhile.
    void AmendLine() {
        const std::string lsh = Recent("select lsh from SubAdjuctPricemx where lsh in (select lsh from SubAdjuctPrice "
                                      "where isnull(shbz,0)=0) group by lsh");
        if (lsh.empty()) return AddLine("");
        const double price = Price();
        std::string hh;
        Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
            if (w.VfgContent.Rows() < 2) return;
            w.VfgContent.Select(1, 1);
            w.Cmd_Amend_Click();
            hh = w.TxtHH.Text();
            w.TxtNSj.EnteredValue(price);
            w.Cmd_Save.Click();
        });
        if (!hh.empty()) Outcome("amend-line", lsh, HasLine(lsh, hh, price));
    }

    void DeleteLine() {
        const std::string lsh = Recent("select lsh from SubAdjuctPricemx group by lsh");
        if (lsh.empty()) return AddLine("");
        std::string dh;
        Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
            if (w.VfgContent.Rows() < 2) return;
            w.VfgContent.Select(1, 1);
            dh = w.VfgContent.TextMatrix(1, 1);
            tk_.QueueAnswer(ui::Answer::Yes);
            w.Cmd_Delete_Click();
        });
        if (!dh.empty())
            Outcome("delete-line", lsh + "/" + dh,
                    Scalar("select count(*) from SubAdjuctPricemx where lsh='" + EscapeQuote(lsh) + "' and dh='" + dh + "'") == "0");
    }

    void Audit(const std::string& lsh) {
        if (lsh.empty()) return AddLine("");
        Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
            tk_.QueueAnswer(ui::Answer::Yes);
            tk_.QueueAnswer(ui::Answer::Yes);  // should later-dated audits be named
            w.Toolbar1.Press("审核");
        });
        const bool audited = Scalar("select isnull(shbz,0) from " + Of(lsh)) == "1";
        if (audited) {
            db::Recordset lines = Db().OpenRecordset("select hh,sj2 from SubAdjuctPricemx where lsh='" + EscapeQuote(lsh) + "'");
            for (long i = 0; i < lines.RecordCount(); ++i)
                expected_[{lines.At(i, 0).ToText(), branch_}] = db::FormatDouble(lines.At(i, 1).ToDouble());
        }
        Outcome("audit", lsh, audited);
    }

    // Mostly an audited bill, sometimes an open one, which must be refused with a message.
    void Post() {
        const std::string lsh = Pick(4) == 0 ? MyOpenBill()
                                             : Recent("select lsh from SubAdjuctPrice where czry='" + EscapeQuote(name_) +
                                                      "' and shbz=1 and isnull(jzbz,0)=0");
        if (lsh.empty()) return Audit(MyOpenBill());
        Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
            tk_.QueueAnswer(ui::Answer::Yes);
            w.Toolbar1.Press("记帐");
        });
        Outcome("post", lsh, Scalar("select isnull(jzbz,0) from " + Of(lsh)) == "1");
    }

    // Anyone's unposted bill, marked in the browser; audited ones must be refused with a message.
    void DeleteBill() {
        const std::string lsh = Recent("select lsh from SubAdjuctPrice where isnull(jzbz,0)=0 and isnull(bz5,'')=''");
        if (lsh.empty()) return AddLine("");
        if (OnMarkedBill(tk_, lsh, &browser::FrmBrowser::DeleteSelected))  // else posted or deleted meanwhile
            Outcome("delete-bill", lsh, Scalar("select count(*) from " + Of(lsh)) == "0");
    }

    ui::HeadlessToolkit& tk_;
    std::string name_, branch_;
    std::mt19937 rng_;
    std::vector<std::string> items_;
    std::map<std::pair<std::string, std::string>, std::string> expected_;
    int n_ = 0;
    long long started_ = 0;
    size_t before_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> a(argv + 1, argv + argc);
    const std::string mode = a.size() >= 3 ? a[1] : "";
    const bool once = ((mode == "post" || mode == "delete" || mode == "exec" || mode == "scalar") && a.size() == 3) ||
                      (mode == "hold" && a.size() == 4);
    if (!once && !(mode == "stress" && a.size() == 6) && !(mode == "save-loop" && a.size() == 4) && !(mode == "audit-loop" && a.size() == 5))
        return 2;
    ui::ScopedHeadlessToolkit tk;
    int rc = 0;
    try {
        host::RegisterTableRights();
        data::ComponentFactory::Register(data::ComponentName::Lookup,
                                         [] { return std::make_unique<testing_support::ScriptedLookup>(TypedCodeRow); });
        auto& h = data::Host();
        h.ConnStr = a[0];
        h.OptCode = "0001";
        h.OptName = once ? "系统管理员" : a[2];
        h.SysDate = db::DateTime{2026, 12, 6};
        data::Settings().jjbl = 2;  // the operators' prices have two decimals
        h.CommandTimeout = 10;
        h.BranchMode = data::ByBranch;
        // A pause before every statement widens the gaps between a command's statements, so that the
        // two operators interleave wherever a transaction does not keep them apart.
        if (mode == "stress")
            db::Connection::SetDefaultTrace([](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
        h.HostConnection = std::make_unique<db::Connection>();
        h.HostConnection->SetCommandTimeout(h.CommandTimeout);
        h.HostConnection->Open(h.ConnStr);
        db::Connection& c = *h.HostConnection;
        if (mode == "post" || mode == "delete") {
            if (!OnMarkedBill(*tk, a[2], mode == "post" ? &browser::FrmBrowser::PostSelected : &browser::FrmBrowser::DeleteSelected)) rc = 4;
        } else if (mode == "exec") {
            c.Execute(a[2]);
        } else if (mode == "scalar") {
            auto rs = c.OpenRecordset(a[2]);
            std::cout << (rs.RecordCount() == 0 ? std::string("<no row>") : rs.Get(0).ToText()) << std::endl;
        } else if (mode == "hold") {
            c.BeginTrans();
            c.Execute(a[3]);
            std::cout << "held" << std::endl;
            std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(std::stod(a[2]) * 1000)));
            c.RollbackTrans();
        } else if (mode == "stress") {
            Operator op(*tk, a[2], a[3], static_cast<unsigned>(std::stoul(a[5])));
            for (int n = 1, rounds = std::stoi(a[4]); n <= rounds; ++n) op.Round(n);
            op.Summary();
        } else if (mode == "save-loop") {
            Operator(*tk, a[2], a[3], 1).SaveLoop();
        } else {
            Operator(*tk, a[2], "", 1).AuditLoop(std::stoi(a[3]), std::stoi(a[4]));
        }
        c.Close();
        h.HostConnection.reset();
    } catch (const std::exception& e) {
        std::cout << "exception: " << db::DescriptionOf(e) << std::endl;
        return 5;
    }
    for (const auto& m : tk->Messages()) {
        if (!once || m.message.buttons != ui::Buttons::Ok) continue;  // the stress run logs its own
        std::cout << "message: " << m.message.title << "|" << m.message.text << std::endl;
        rc = rc == 0 ? 3 : rc;
    }
    return rc;
}
