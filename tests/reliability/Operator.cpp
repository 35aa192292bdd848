// An operator for the stress and kill tests: a process of its own that works through the real
// window logic — the bill editor and the browser on the headless toolkit — on a shared database.
//
//   reliability_operator CONNSTR stress NAME BRANCH ROUNDS SEED
//       ROUNDS random commands (new bill, add, amend and delete a line, audit, post, delete a bill)
//       on its own bills and the other operator's. After each command it checks that the command
//       took effect or showed a message; a command that did neither is reported "unconfirmed". At
//       the end: "expect HH DWBH PRICE" for the newest audited price of each item at its branch,
//       and "summary ...".
//   reliability_operator CONNSTR save-loop NAME BRANCH
//       saves new bills of one line and second lines to them until killed; "saved LSH" after each.
//   reliability_operator CONNSTR audit-loop NAME FIRST LAST [--no-transaction]
//       audits bills FIRST..LAST in turn until killed; "begin LSH" and "done LSH" around each.
//       --no-transaction writes the same prices line by line outside a transaction, as a broken
//       audit would: the kill test must catch it.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "browser/FrmBrowser.h"
#include "data/SystemSettings.h"
#include "data/ComponentFactory.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "host/TableRightsComponent.h"
#include "support/ScriptedLookup.h"
#include "ui/Keys.h"
#include "ui/headless/HeadlessToolkit.h"

namespace {

using data::EscapeQuote;

// The code the operator typed: the editor's item lookup takes the row with that code, else the
// first.
std::string& Typed() {
    static std::string typed;
    return typed;
}

long TypedCodeRow(const std::string&, const db::Recordset& rows) {
    for (long i = 0; i < rows.RecordCount(); ++i)
        if (rows.At(static_cast<int>(i), 0).ToText() == Typed()) return i;
    return rows.RecordCount() > 0 ? 0 : -1;
}

db::Connection& Db() { return data::HostConnection(); }

std::string Scalar(const std::string& sql) {
    db::Recordset rs = Db().OpenRecordset(sql);
    return rs.RecordCount() == 0 || rs.Get(0).IsNull() ? std::string() : rs.Get(0).ToText();
}

std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> out;
    db::Recordset rs = Db().OpenRecordset(sql);
    for (long i = 0; i < rs.RecordCount(); ++i) out.push_back(rs.At(i, 0).ToText());
    return out;
}

class Operator {
public:
    Operator(ui::HeadlessToolkit& tk, std::string name, std::string branch, unsigned seed)
        : tk_(tk), name_(std::move(name)), branch_(std::move(branch)), rng_(seed) {
        items_ = Column("select hh from yw_kck where isnull(FDeleted,0)=0 order by hh limit 40");
    }

    // One random command; its outcome on standard output.
    void Round(int n) {
        started_ = Now();
        const int pick = Pick(100);
        if (pick < 25) NewBill(n);
        else if (pick < 40) AddLine(n);
        else if (pick < 52) AmendLine(n);
        else if (pick < 62) DeleteLine(n);
        else if (pick < 75) Audit(n);
        else if (pick < 87) Post(n);
        else DeleteBill(n);
    }

    void SaveLoop() {
        for (int n = 0;; ++n) {
            const std::string code = Item();
            std::string lsh;
            Editor("", [&](bill::FrmAdjuctPrice& w) {
                w.TxtDwbh.SetText(branch_);
                EnterLine(w, code, Price());
                lsh = w.TxtLSH.Text();
                EnterLine(w, Item(), Price());
            });
            std::cout << "saved " << lsh << std::endl;
        }
    }

    void AuditLoop(int first, int last, bool withTransaction) {
        for (int i = first; i <= last; ++i) {
            const std::string lsh = std::to_string(i);
            if (withTransaction) {
                Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
                    std::cout << "begin " << lsh << std::endl;  // the window is loaded: the audit starts now
                    w.AuditBill(lsh);
                });
            } else {
                std::cout << "begin " << lsh << std::endl;
                const std::string target = Scalar("select dwbh from SubAdjuctPrice where lsh='" + lsh + "'");
                for (const auto& hh : Column("select hh from SubAdjuctPricemx where lsh='" + lsh + "' order by dh")) {
                    const std::string price =
                        Scalar("select sj2 from SubAdjuctPricemx where lsh='" + lsh + "' and hh='" + EscapeQuote(hh) + "'");
                    if (Db().Execute("update glprice set SELLPRICE=" + price + " where HH='" + EscapeQuote(hh) + "' and DWBH='" +
                                     target + "'") == 0)
                        Db().Execute("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('" + EscapeQuote(hh) + "','" + target +
                                     "',0,0," + price + ")");
                }
                Db().Execute("update SubAdjuctPrice set shbz=1,shry='" + EscapeQuote(name_) + "' where lsh='" + lsh + "'");
            }
            std::cout << "done " << lsh << std::endl;
        }
    }

    void Summary() {
        for (const auto& [key, price] : expected_) std::cout << "expect " << key.first << " " << key.second << " " << price << "\n";
        std::cout << "summary commands=" << commands_ << " refused=" << refused_ << " unconfirmed=" << unconfirmed_ << std::endl;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    // Milliseconds on the system's monotonic clock, which both operators' processes share.
    static long long Now() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    // " t=START-END" of the command in hand, START before its bill was chosen.
    std::string Time() const { return " t=" + std::to_string(started_) + "-" + std::to_string(Now()); }
    std::string Item() { return items_.at(static_cast<size_t>(Pick(static_cast<int>(items_.size())))); }
    double Price() { return std::round(std::uniform_real_distribution<double>(1, 99)(rng_) * 100) / 100; }

    // A random bill of the list the statement gives; empty when there is none.
    std::string AnyOf(const std::string& sql) {
        const auto all = Column(sql);
        return all.empty() ? std::string() : all[static_cast<size_t>(Pick(static_cast<int>(all.size())))];
    }
    // Half the time one of the newest: the bills the other operator is likely working on as well.
    std::string Recent(const std::string& sql) {
        return AnyOf(Pick(2) == 0 ? sql : sql + " order by cast(lsh as int) desc limit 3");
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
        shared.EditorInstance = std::make_shared<bill::FrmAdjuctPrice>();
        auto editor = shared.EditorInstance;
        tk_.OnShow("FrmAdjuctPrice", [&](ui::Window&) { act(*editor); });
        editor->ShowModal();
    }

    // Marks the bill in the browser and runs the command; false when the bill was no longer listed
    // (posted or deleted by the other operator since it was chosen), and nothing was run.
    bool Browser(const std::string& lsh, void (browser::FrmBrowser::*command)()) {
        bool listed = false;
        browser::FrmBrowser w;
        tk_.OnShow("FrmBrowser", [&](ui::Window&) {
            for (int r = 1; r < w.Vs.Rows(); ++r)
                if (w.Vs.TextMatrix(r, 1) == lsh) {
                    w.Vs.SetTextMatrix(r, 0, browser::kMark);
                    listed = true;
                }
            if (!listed) return;
            tk_.QueueAnswer(ui::Answer::Yes);
            (w.*command)();
        });
        w.ShowModal();
        return listed;
    }

    static void Key(bill::FrmAdjuctPrice& w, ui::Control& c, int key) {
        w.SetFocus(c);
        int k = key;
        w.OnKeyDown(k, 0);
        if (k != 0) c.RaiseKeyDown(k, 0);
    }

    // Item code, Enter, new price, Enter, Save: the keyboard path of one line.
    static void EnterLine(bill::FrmAdjuctPrice& w, const std::string& code, double price) {
        Typed() = code;
        w.SetFocus(w.TxtHH);
        w.TxtHH.TypedText(code);
        Key(w, w.TxtHH, ui::Key::Enter);
        w.TxtNSj.EnteredValue(price);
        Key(w, w.TxtNSj, ui::Key::Enter);
        w.Cmd_Save.Click();
        ui::CurrentToolkit().ProcessEvents();
    }

    // The outcome of one command: "done" when `effect` holds, "refused" with the messages it
    // showed, else "unconfirmed". The other operator may have deleted or changed the bill since
    // (the editor's audit and post of a bill deleted meanwhile end without a word): the test
    // accepts an unconfirmed command only when the other operator's log shows that it did.
    void Outcome(int n, const std::string& command, const std::string& lsh, size_t messagesBefore, bool effect) {
        ++commands_;
        std::string shown;
        for (size_t i = messagesBefore; i < tk_.Messages().size(); ++i)
            if (tk_.Messages()[i].message.buttons == ui::Buttons::Ok) shown += (shown.empty() ? "" : " / ") + tk_.Messages()[i].message.text;
        for (auto& c : shown)
            if (c == '\n') c = ' ';
        if (effect && shown.empty()) {
            std::cout << "round " << n << " " << command << " " << lsh << " done" << Time() << std::endl;
        } else if (!shown.empty()) {
            ++refused_;
            std::cout << "round " << n << " " << command << " " << lsh << (effect ? " done with message: " : " refused: ")
                      << db::text::Abbreviate(shown, 300) << Time() << std::endl;
        } else {
            ++unconfirmed_;
            std::string asked;
            for (size_t i = messagesBefore; i < tk_.Messages().size(); ++i)
                asked += " [" + tk_.Messages()[i].message.text + (tk_.Messages()[i].answer == ui::Answer::Yes ? " -> yes]" : " -> no]");
            std::cout << "round " << n << " " << command << " " << lsh << " unconfirmed: neither done nor a message;" << asked << Time()
                      << std::endl;
        }
    }

    bool HasLine(const std::string& lsh, const std::string& hh, double price) {
        return Scalar("select count(*) from SubAdjuctPricemx where lsh='" + EscapeQuote(lsh) + "' and hh='" + EscapeQuote(hh) +
                      "' and abs(sj2-(" + db::FormatDouble(price) + "))<0.00001") != "0";
    }

    void NewBill(int n) {
        const size_t before = tk_.Messages().size();
        const std::string code = Item();
        const double price = Price();
        std::string lsh;
        Editor("", [&](bill::FrmAdjuctPrice& w) {
            w.TxtDwbh.SetText(branch_);
            EnterLine(w, code, price);
            lsh = w.TxtLSH.Text();
        });
        Outcome(n, "new", lsh, before, HasLine(lsh, code, price));
    }

    void AddLine(int n) {
        const std::string lsh = MyOpenBill();
        if (lsh.empty()) return NewBill(n);
        const size_t before = tk_.Messages().size();
        const std::string code = Item();
        const double price = Price();
        Editor(lsh, [&](bill::FrmAdjuctPrice& w) { EnterLine(w, code, price); });
        Outcome(n, "add-line", lsh, before, HasLine(lsh, code, price));
    }

    void AmendLine(int n) {
        // Anyone's open bill: the other operator may audit or delete it meanwhile.
        const std::string lsh = Recent("select lsh from SubAdjuctPricemx where lsh in (select lsh from SubAdjuctPrice "
                                      "where isnull(shbz,0)=0) group by lsh");
        if (lsh.empty()) return NewBill(n);
        const size_t before = tk_.Messages().size();
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
        if (hh.empty()) return;  // deleted before it was opened: nothing asked
        Outcome(n, "amend-line", lsh, before, HasLine(lsh, hh, price));
    }

    void DeleteLine(int n) {
        const std::string lsh = Recent("select lsh from SubAdjuctPricemx group by lsh");
        if (lsh.empty()) return NewBill(n);
        const size_t before = tk_.Messages().size();
        std::string dh;
        Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
            if (w.VfgContent.Rows() < 2) return;
            w.VfgContent.Select(1, 1);
            dh = w.VfgContent.TextMatrix(1, 1);
            tk_.QueueAnswer(ui::Answer::Yes);
            w.Cmd_Delete_Click();
        });
        if (dh.empty()) return;
        Outcome(n, "delete-line", lsh + "/" + dh, before,
                Scalar("select count(*) from SubAdjuctPricemx where lsh='" + EscapeQuote(lsh) + "' and dh='" + EscapeQuote(dh) + "'") ==
                    "0");
    }

    void Audit(int n) {
        const std::string lsh = MyOpenBill();
        if (lsh.empty()) return NewBill(n);
        const size_t before = tk_.Messages().size();
        Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
            tk_.QueueAnswer(ui::Answer::Yes);
            tk_.QueueAnswer(ui::Answer::Yes);  // should later-dated audits be named
            w.Toolbar1.Press("审核");
        });
        const bool audited = Scalar("select isnull(shbz,0) from SubAdjuctPrice where lsh='" + EscapeQuote(lsh) + "'") == "1";
        if (audited) {
            db::Recordset lines = Db().OpenRecordset("select hh,sj2 from SubAdjuctPricemx where lsh='" + EscapeQuote(lsh) + "'");
            for (long i = 0; i < lines.RecordCount(); ++i)
                expected_[{lines.At(i, 0).ToText(), branch_}] = db::FormatDouble(lines.At(i, 1).ToDouble());
        }
        Outcome(n, "audit", lsh, before, audited);
    }

    void Post(int n) {
        // Mostly an audited bill, sometimes an open one, which must be refused with a message.
        const std::string lsh = Pick(4) == 0 ? MyOpenBill()
                                             : AnyOf("select lsh from SubAdjuctPrice where czry='" + EscapeQuote(name_) +
                                                     "' and shbz=1 and isnull(jzbz,0)=0");
        if (lsh.empty()) return Audit(n);
        const size_t before = tk_.Messages().size();
        Editor(lsh, [&](bill::FrmAdjuctPrice& w) {
            tk_.QueueAnswer(ui::Answer::Yes);
            w.Toolbar1.Press("记帐");
        });
        Outcome(n, "post", lsh, before, Scalar("select isnull(jzbz,0) from SubAdjuctPrice where lsh='" + EscapeQuote(lsh) + "'") == "1");
    }

    void DeleteBill(int n) {
        // Anyone's unposted bill, audited ones included: those must be refused with a message.
        const std::string lsh = Recent("select lsh from SubAdjuctPrice where isnull(jzbz,0)=0 and isnull(bz5,'')=''");
        if (lsh.empty()) return NewBill(n);
        const size_t before = tk_.Messages().size();
        if (!Browser(lsh, &browser::FrmBrowser::DeleteSelected)) return;
        Outcome(n, "delete-bill", lsh, before,
                Scalar("select count(*) from SubAdjuctPrice where lsh='" + EscapeQuote(lsh) + "'") == "0");
    }

    ui::HeadlessToolkit& tk_;
    std::string name_, branch_;
    std::mt19937 rng_;
    std::vector<std::string> items_;
    std::map<std::pair<std::string, std::string>, std::string> expected_;
    int commands_ = 0, refused_ = 0, unconfirmed_ = 0;
    long long started_ = 0;
};

int Usage() {
    std::cerr << "usage: reliability_operator CONNSTR stress NAME BRANCH ROUNDS SEED | save-loop NAME BRANCH | "
                 "audit-loop NAME FIRST LAST [--no-transaction]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() < 3) return Usage();
    ui::ScopedHeadlessToolkit tk;
    try {
        host::RegisterTableRights();
        data::ComponentFactory::Register(data::ComponentName::Lookup, [] { return std::make_unique<testing_support::ScriptedLookup>(TypedCodeRow); });
        auto& h = data::Host();
        h.ConnStr = a[0];
        h.OptCode = "0001";
        h.OptName = a[2];
        h.SysDate = db::DateTime{2026, 12, 6};
        data::Settings().jjbl = 2;  // the operators' prices have two decimals
        h.CommandTimeout = 10;
        h.BranchMode = data::ByBranch;
        const std::string& mode = a[1];
        // A pause before every statement widens the gaps between the statements of a command, so
        // that the two operators' commands interleave wherever a transaction does not keep them
        // apart.
        if (mode == "stress") db::Connection::SetDefaultTrace([](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
        h.HostConnection = std::make_unique<db::Connection>();
        h.HostConnection->SetCommandTimeout(h.CommandTimeout);
        h.HostConnection->Open(h.ConnStr);
        if (mode == "stress" && a.size() == 6) {
            Operator op(*tk, a[2], a[3], static_cast<unsigned>(std::stoul(a[5])));
            const int rounds = std::stoi(a[4]);
            for (int n = 1; n <= rounds; ++n) op.Round(n);
            op.Summary();
        } else if (mode == "save-loop" && a.size() == 4) {
            Operator(*tk, a[2], a[3], 1).SaveLoop();
        } else if (mode == "audit-loop" && a.size() >= 5) {
            const bool broken = a.size() == 6 && a[5] == "--no-transaction";
            Operator(*tk, a[2], "", 1).AuditLoop(std::stoi(a[3]), std::stoi(a[4]), !broken);
        } else {
            return Usage();
        }
        h.HostConnection->Close();
        h.HostConnection.reset();
    } catch (const std::exception& e) {
        std::cout << "exception: " << db::DescriptionOf(e) << std::endl;
        return 5;
    }
    return 0;
}
