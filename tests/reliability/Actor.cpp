// A second (or third) operator for the reliability tests: a process of its own that opens the
// host connection as the plug-in does and runs one command through the real window logic on the
// headless toolkit, then exits. Messages shown go to standard output as "message: TITLE|TEXT".
//
//   reliability_actor [--timeout SECONDS] CONNSTR post LSH     mark the bill in the browser, 记账
//   reliability_actor [--timeout SECONDS] CONNSTR delete LSH   mark the bill in the browser, 删除
//   reliability_actor [--timeout SECONDS] CONNSTR exec SQL     one statement on the host connection
//   reliability_actor [--timeout SECONDS] CONNSTR scalar SQL   prints the first value of the first row
//   reliability_actor [--timeout SECONDS] CONNSTR hold SECONDS SQL
//       runs SQL in a transaction, prints "held", waits, rolls back
//
// Exit codes: 0 done without a message, 3 a message was shown, 4 the bill is not in the list,
// 5 an exception escaped, 2 usage.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "host/TableRightsComponent.h"
#include "ui/headless/HeadlessToolkit.h"

namespace {

int Usage() {
    std::cerr << "usage: reliability_actor [--timeout SECONDS] CONNSTR post|delete LSH | exec|scalar SQL | hold SECONDS SQL\n";
    return 2;
}

// Shows the browser, marks the row of `lsh` and runs `command` on it; false when the bill is not
// listed.
bool OnMarkedBill(ui::HeadlessToolkit& tk, const std::string& lsh, void (browser::FrmBrowser::*command)()) {
    bool listed = false;
    browser::FrmBrowser w;
    tk.OnShow("FrmBrowser", [&](ui::Window&) {
        for (int r = 1; r < w.Vs.Rows(); ++r) {
            if (w.Vs.TextMatrix(r, 1) != lsh) continue;
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

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int timeout = 0;
    if (args.size() >= 2 && args[0] == "--timeout") {
        timeout = std::atoi(args[1].c_str());
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() < 3) return Usage();
    const std::string& command = args[1];
    ui::ScopedHeadlessToolkit tk;
    int rc = 0;
    try {
        host::RegisterTableRights();
        auto& h = data::Host();
        h.ConnStr = args[0];
        h.OptCode = "0001";
        h.OptName = "系统管理员";
        h.SysDate = db::DateTime{2026, 12, 6};
        h.CommandTimeout = static_cast<std::int16_t>(timeout);
        h.HostConnection = std::make_unique<db::Connection>();
        h.HostConnection->SetCommandTimeout(timeout);
        h.HostConnection->Open(h.ConnStr);
        db::Connection& c = *h.HostConnection;
        if (command == "post" || command == "delete") {
            auto action = command == "post" ? &browser::FrmBrowser::PostSelected : &browser::FrmBrowser::DeleteSelected;
            if (!OnMarkedBill(*tk, args[2], action)) rc = 4;
        } else if (command == "exec") {
            c.Execute(args[2]);
        } else if (command == "scalar") {
            auto rs = c.OpenRecordset(args[2]);
            std::cout << (rs.RecordCount() == 0 ? std::string("<no row>") : rs.Get(0).ToText()) << std::endl;
        } else if (command == "hold" && args.size() >= 4) {
            c.BeginTrans();
            c.Execute(args[3]);
            std::cout << "held" << std::endl;
            std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(std::atof(args[2].c_str()) * 1000)));
            c.RollbackTrans();
        } else {
            return Usage();
        }
        c.Close();
        h.HostConnection.reset();
    } catch (const std::exception& e) {
        std::cout << "exception: " << db::DescriptionOf(e) << std::endl;
        return 5;
    }
    for (const auto& m : tk->Messages()) {
        if (m.message.buttons != ui::Buttons::Ok) continue;  // the confirmations the command asks
        std::cout << "message: " << m.message.title << "|" << m.message.text << std::endl;
        if (rc == 0) rc = 3;
    }
    return rc;
}
