// spb_memory: the host's windows on a large database, as an operator opens them, with the peak
// resident memory of the process. The browser is shown on the real Qt views over the list of
// open bills; from it a new bill is opened in the editor, the branch entered and F7 pressed in
// the item field, which shows the whole item list of that branch in the lookup window's picker.
// Once the picker has painted its first rows everything is closed again. Prints the time from F7
// to the first rows shown and the peak resident memory (VmHWM) in MiB.
//   spb_memory --db=PATH|--db-url=CONNECTION-STRING [--branch=CODE]
#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "browser/FrmBrowser.h"
#include "data/HostContext.h"
#include "data/SystemSettings.h"
#include "host/KeptConnection.h"
#include "host/LookupDialog.h"
#include "host/LookupTableModel.h"
#include "host/PdfPrintEngine.h"
#include "host/QtLookupWindow.h"
#include "host/TableRightsComponent.h"
#include "schema/DemoDatabase.h"
#include "ui/Keys.h"
#include "ui/qt/QtToolkit.h"
#include "views/StandardViews.h"

namespace {

// The peak resident memory of this process so far, in KiB.
long PeakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

struct Run {
    std::string branch = "001";
    long browserRows = 0;
    int pickerRows = 0;
    qint64 firstRowsMs = -1;
    QElapsedTimer clock;
};

// Notes the first paint of the picker's rows.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(Run& run) : run_(run) {}
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            const bool result = QObject::eventFilter(watched, event);
            run_.firstRowsMs = run_.clock.elapsed();
            return result;
        }
        return false;
    }

private:
    Run& run_;
};

// In the editor: the branch, then F7 in the item field; the picker is closed once it has shown rows.
void InEditor(Run& run) {
    auto editor = bill::Shared().EditorInstance;
    if (!editor) return;
    editor->TxtDwbh.SetText(run.branch);
    FirstPaint watcher(run);
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<host::LookupDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        if (!dialog->Grid()->viewport()->property("spb_watched").toBool()) {
            dialog->Grid()->viewport()->setProperty("spb_watched", true);
            dialog->Grid()->viewport()->installEventFilter(&watcher);
        }
        if (!watcher.painted) return;
        run.pickerRows = dialog->Model()->rowCount();
        dialog->reject();
        poll.stop();
    });
    poll.start();
    run.clock.start();
    int key = ui::Key::F7;
    editor->TxtHH_KeyDown(key, 0);  // returns when the picker has closed
    poll.stop();
    editor->Close();
}

}  // namespace

int main(int argc, char** argv) {
    std::string database, connection;
    Run run;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--db=", 5) == 0) database = argv[i] + 5;
        else if (std::strncmp(argv[i], "--db-url=", 9) == 0) connection = argv[i] + 9;
        else if (std::strncmp(argv[i], "--branch=", 9) == 0) run.branch = argv[i] + 9;
    }
    if (connection.empty() && (database.empty() || !std::filesystem::exists(database))) {
        std::cerr << "usage: spb_memory --db=PATH|--db-url=CONNECTION-STRING [--branch=CODE]\n";
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    if (QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK SC"))) {
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPointSize(10);
        QApplication::setFont(font);
    }
    views::RegisterStandardViews();
    ui::qt::InstallQtToolkitIfNone();
    host::RegisterTableRights();
    host::RegisterLookupWindow();
    host::RegisterPdfPrintEngine(host::PrintOutput::PdfFile, std::filesystem::temp_directory_path().string());

    auto& host = data::Host();
    const auto& admin = schema::DemoOperators().front();
    host.ConnStr = connection.empty() ? "Provider=SQLite;Data Source=" + database : connection;
    host.OptCode = admin.code;
    host.OptName = admin.name;
    host.SysDate = db::DateTime{2026, 12, 6};
    host.BranchMode = data::ByBranch;
    host.HostConnection = std::make_unique<db::Connection>();
    try {
        host.HostConnection->Open(host.ConnStr);
    } catch (const std::exception& e) {
        std::cerr << "spb_memory: " << e.what() << "\n";
        return 1;
    }
    data::LoadSystemSettings();

    {
        browser::FrmBrowser browser;
        QTimer::singleShot(0, [&] {
            run.browserRows = browser.rsMain.IsOpen() ? browser.rsMain.RecordCount() : 0;
            QTimer::singleShot(0, [&] { InEditor(run); });
            browser.NewBill();  // the editor, modal; returns when it has closed
            browser.Close();
        });
        browser.ShowModal();
    }
    host.HostConnection.reset();
    host::ReleaseKeptConnection();

    std::cout << "browser rows: " << run.browserRows << "\n";
    std::cout << "F7 item list rows: " << run.pickerRows << "\n";
    std::cout << "F7 item list, first rows shown after: " << run.firstRowsMs << " ms\n";
    const long peak = PeakKiB();
    std::printf("peak resident memory: %.1f MiB\n", peak / 1024.0);
    return run.pickerRows > 0 && run.firstRowsMs >= 0 ? 0 : 1;
}
