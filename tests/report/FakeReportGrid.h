// A report grid that records what the report window asks of it, in order, with the busy pointer's
// depth at each reload; it can be told to fail.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/ComponentFactory.h"
#include "data/ReportGrid.h"
#include "db/Error.h"
#include "ui/headless/HeadlessToolkit.h"

namespace report_test {

struct GridLog {
    std::vector<std::string> calls;
    std::vector<int> busyAtRefresh;
    bool failRefresh = false;
    bool failWidth = false;
    int created = 0, destroyed = 0;
    const ui::HeadlessToolkit* toolkit = nullptr;
};

class FakeReportGrid : public data::ReportGrid {
public:
    explicit FakeReportGrid(GridLog& log) : log_(log) { ++log_.created; }
    ~FakeReportGrid() override { ++log_.destroyed; }

    void SetDataFormat(std::int32_t f) override { Note("DataFormat " + std::to_string(f)); }
    void SetConnectStr(const std::string& s) override { Note("ConnectStr " + s); }
    void SetDataSource(const std::string& s) override { Note("DataSource " + s); }
    void SetIsShowOrder(bool b) override { Note(std::string("IsShowOrder ") + (b ? "true" : "false")); }
    void SetReportCode(const std::string& s) override { Note("ReportCode " + s); }
    void SetReportName(const std::string& s) override { Note("ReportName " + s); }
    void SetStartDate(const std::string& s) override { Note("StartDate " + s); }
    void SetEndDate(const std::string& s) override { Note("EndDate " + s); }
    void SetUserDefStr0(const std::string& s) override { Note("UserDefStr0 " + s); }
    void SetUserDefStr1(const std::string& s) override { Note("UserDefStr1 " + s); }
    void RefreshReport() override {
        Note("RefreshReport");
        log_.busyAtRefresh.push_back(log_.toolkit ? log_.toolkit->BusyDepth() : -1);
        if (log_.failRefresh) throw db::Error(db::ErrorCode::SyntaxOrAccess, "no such table: SubAdjuctPriceMX");
    }
    void ExecAction(int action) override { Note("ExecAction " + std::to_string(action)); }
    void SetWidth(int twips) override {
        if (log_.failWidth) throw std::runtime_error("width refused");
        Note("Width " + std::to_string(twips));
    }
    void SetHeight(int twips) override { Note("Height " + std::to_string(twips)); }
    void* NativeWidget() override { return nullptr; }

private:
    void Note(std::string call) { log_.calls.push_back(std::move(call)); }
    GridLog& log_;
};

// Registers the fake under the report grid's name for the life of the object.
class ScopedFakeGrid {
public:
    explicit ScopedFakeGrid(const ui::HeadlessToolkit* toolkit) {
        log.toolkit = toolkit;
        data::ComponentFactory::Register(data::ComponentName::ReportGrid,
                                         [this] { return std::make_unique<FakeReportGrid>(log); });
    }
    ~ScopedFakeGrid() { data::ComponentFactory::Unregister(data::ComponentName::ReportGrid); }
    ScopedFakeGrid(const ScopedFakeGrid&) = delete;
    ScopedFakeGrid& operator=(const ScopedFakeGrid&) = delete;
    GridLog log;
};

}  // namespace report_test
