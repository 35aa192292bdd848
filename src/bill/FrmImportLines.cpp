#include "bill/FrmImportLines.h"

#include <chrono>
#include <unordered_set>

#include "bill/BillWriter.h"
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "bill/ImportFile.h"
#include "bill/ListRecordset.h"
#include "bill/PriceRounding.h"
#include "data/AtomicFile.h"
#include "data/QueryRoutines.h"
#include "data/Rights.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "ui/Keys.h"
#include "ui/Toolkit.h"

namespace bill {
namespace {

using data::EscapeQuote;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

FrmImportLines::FrmImportLines(FrmAdjuctPrice& editor) : ui::Dialog("FrmImportLines", kImportCaption), editor_(editor) {
    SetDesignSize(11400, 7800);
    CmdImport.SetEnabled(false);
    CmdSaveRefused.SetEnabled(false);
    CmdClose.SetCancel(true);
    int tab = 0;
    for (ui::Control* c : std::initializer_list<ui::Control*>{&TxtFile, &CmdBrowse, &CmdRead, &VfgRows, &CmdImport,
                                                              &CmdSaveRefused, &CmdClose})
        c->SetTabIndex(tab++);

    CmdBrowse.onClick = [this] {
        if (!AskFileName) return;
        const std::string path = AskFileName(false, TxtFile.Text());
        if (path.empty()) return;
        TxtFile.SetText(path);
        ReadFile();
    };
    CmdRead.onClick = [this] { ReadFile(); };
    TxtFile.onKeyDown = [this](int& key, int) {
        if (key == ui::Key::Enter) {
            key = 0;
            ReadFile();
        }
    };
    CmdImport.onClick = [this] { ImportReady(); };
    CmdSaveRefused.onClick = [this] {
        std::string suggested = readFrom_;
        const size_t dot = suggested.find_last_of('.');
        const size_t slash = suggested.find_last_of('/');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) suggested.erase(dot);
        suggested += "_拒绝.csv";
        const std::string path = AskFileName ? AskFileName(true, suggested) : suggested;
        if (!path.empty()) SaveRefused(path);
    };
    CmdClose.onClick = [this] { Close(); };
}

int FrmImportLines::ReadyCount() const {
    int n = 0;
    for (const auto& r : rows_) n += r.verdict == Verdict::Ready ? 1 : 0;
    return n;
}

int FrmImportLines::RefusedCount() const {
    int n = 0;
    for (const auto& r : rows_) n += r.Refused() ? 1 : 0;
    return n;
}

int FrmImportLines::Room() { return editor_.LinesLeft(editor_.TxtLSH.Text()); }

void FrmImportLines::ShowRows() {
    const int decimals = PriceDecimals();
    std::vector<std::vector<db::Value>> cells;
    cells.reserve(rows_.size());
    for (const auto& r : rows_) {
        const bool line = !r.Refused();
        cells.push_back({db::Value::Text(std::to_string(r.fileRow)), db::Value::Text(line ? r.hh : r.code),
                         db::Value::Text(line ? r.pm : ""), db::Value::Text(line ? PriceText(r.oldPrice, decimals) : ""),
                         db::Value::Text(line ? PriceText(r.newPrice, decimals) : r.priceText),
                         db::Value::Text(VerdictText(r.verdict))});
    }
    VfgRows.Bind(ListRecordset({"行号", "货号", "品名", "原售价", "新售价", "结果"}, std::move(cells)));
    for (int number : {1, 4, 5}) VfgRows.SetColFormat(number, {.right = true});
    int imported = 0;
    for (const auto& r : rows_) imported += r.verdict == Verdict::Imported ? 1 : 0;
    if (imported > 0)
        LabSummary.SetCaption("已导入" + std::to_string(imported) + "行，拒绝" + std::to_string(RefusedCount()) + "行");
    else
        LabSummary.SetCaption("共" + std::to_string(rows_.size()) + "行：可导入" + std::to_string(ReadyCount()) + "行，拒绝" +
                              std::to_string(RefusedCount()) + "行");
    CmdImport.SetEnabled(ReadyCount() > 0);
    CmdSaveRefused.SetEnabled(RefusedCount() > 0);
}

void FrmImportLines::ReadFile() {
    const std::string path = TxtFile.Text();
    if (path.empty()) {
        ui::MsgBox("请选择要导入的文件!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    const auto start = Clock::now();
    rows_.clear();
    readFrom_ = path;
    try {
        ui::BusyPointer busy;
        std::vector<ImportRow> rows = ImportFile::Read(path);
        ImportCheck::Judge(rows, data::HostConnection(), editor_.TxtLSH.Text(), editor_.TxtDwbh.Text(), Room(), PriceDecimals());
        rows_ = std::move(rows);
    } catch (const std::exception& e) {
        ui::MsgBox(db::DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
    }
    ShowRows();
    readSeconds_ = SecondsSince(start);
}

void FrmImportLines::ImportReady() {
    const int ready = ReadyCount();
    if (ready == 0) {
        ui::MsgBox("没有可导入的行!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    auto& shared = Shared();
    // A new bill is stored under a serial drawn afresh, whatever became of the provisional one.
    if (!shared.IsNewBill && BillWriter::StoredAudited(editor_.TxtLSH.Text())) {
        ui::MsgBox(kAuditedNoChange, ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    const auto start = Clock::now();
    const std::string s = BillWriter::AddLines(editor_, [&](db::Connection& c, const std::string& lsh, BillWriter& writer) {
        // Lines stored under this serial since the file was judged.
        const std::vector<std::string> stored = ImportCheck::CodesOnBill(c, lsh);
        const std::unordered_set<std::string> onBill(stored.begin(), stored.end());
        for (const auto& r : rows_)
            if (r.verdict == Verdict::Ready && onBill.count(ImportCheck::Key(r.hh)))
                throw BillRefused{"单据明细已被其他操作员修改，请重新读取文件!"};
        for (const auto& r : rows_) {
            if (r.verdict != Verdict::Ready) continue;
            editor_.NewDh(lsh);
            writer.InsertLine(r.hh, r.pm, r.oldPrice, r.newPrice);
        }
    });
    if (s.empty()) return;
    for (auto& r : rows_)
        if (r.verdict == Verdict::Ready) r.verdict = Verdict::Imported;
    ShowRows();
    editor_.AmendAddNew(s);
    importSeconds_ = SecondsSince(start);
    ui::MsgBox("已导入" + std::to_string(ready) + "行，拒绝" + std::to_string(RefusedCount()) + "行。", ui::Buttons::Ok,
               ui::Icon::Information, "系统提示");
}

bool FrmImportLines::SaveRefused(const std::string& path) {
    using data::CsvCell;
    std::string text = "\xEF\xBB\xBF行号,货号,新售价,原因\r\n";
    for (const auto& r : rows_)
        if (r.Refused())
            text += std::to_string(r.fileRow) + ',' + CsvCell(r.code) + ',' + CsvCell(r.priceText) + ',' +
                    CsvCell(VerdictText(r.verdict)) + "\r\n";
    // Whole or not at all: a full disk leaves the earlier file as it was.
    data::AtomicFile out(path);
    if (!out.Write(text) || !out.Commit()) {
        ui::MsgBox("无法写入文件: " + path + "（" + out.ErrorText() + "）", ui::Buttons::Ok, ui::Icon::Exclamation, "系统提示");
        return false;
    }
    ui::MsgBox("已将" + std::to_string(RefusedCount()) + "行拒绝行保存到文件: " + path, ui::Buttons::Ok, ui::Icon::Information,
               "系统提示");
    return true;
}

void FrmImportLines::Run(FrmAdjuctPrice& editor) {
    if (!data::CheckRight("修改")) return;
    if (!Shared().IsNewBill && BillWriter::StoredAudited(editor.TxtLSH.Text())) {
        ui::MsgBox(kAuditedNoChange, ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    if (editor.TxtDwbh.Text().empty()) {
        ui::MsgBox("请先输入分支机构!", ui::Buttons::Ok, ui::Icon::Information, "系统提示");
        return;
    }
    FrmImportLines w(editor);
    w.ShowModal();
}

}  // namespace bill
