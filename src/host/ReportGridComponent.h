// The host's report grid: runs the report's statement on a connection of its own, shows the rows
// in a ReportGridWidget and offers print preview, export to .xlsx, properties, filter and column
// definitions. The arrangement (columns, filter, page set-up) is kept per report code in the
// operator's settings file.
#pragma once
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "data/ReportGrid.h"
#include "host/ReportDocument.h"
#include "host/ReportGridWidget.h"
#include "host/ReportSettings.h"
#include "host/ReportSettingsStore.h"

namespace db {
class Connection;
}

namespace host {

class ReportTableModel;

class ReportGridComponent : public data::ReportGrid {
public:
    // Throws db::Error when there is no widget application to show the grid in.
    explicit ReportGridComponent(ReportSettingsStore store);
    ~ReportGridComponent() override;
    ReportGridComponent(const ReportGridComponent&) = delete;
    ReportGridComponent& operator=(const ReportGridComponent&) = delete;

    void SetDataFormat(std::int32_t format) override { dataFormat_ = format; }
    void SetConnectStr(const std::string& connStr) override { connectStr_ = connStr; }
    void SetDataSource(const std::string& sql) override { dataSource_ = sql; }
    void SetIsShowOrder(bool showOrder) override { showOrder_ = showOrder; }
    void SetReportCode(const std::string& code) override { reportCode_ = code; }
    void SetReportName(const std::string& name) override { reportName_ = name; }
    void SetStartDate(const std::string& date) override { startDate_ = date; }
    void SetEndDate(const std::string& date) override { endDate_ = date; }
    void SetUserDefStr0(const std::string& text) override { userDefStr0_ = text; }
    void SetUserDefStr1(const std::string& text) override { userDefStr1_ = text; }

    void RefreshReport() override;
    // Failures that the operator has to know about (a file that cannot be written) reach the
    // caller as db::Error; an unknown action does nothing.
    void ExecAction(int action) override;
    void SetWidth(int twips) override;
    void SetHeight(int twips) override;
    // A QWidget*.
    void* NativeWidget() override;

    // The actions one by one.
    void Preview();
    void Export();
    void EditProperties();
    void EditFilter();
    void EditColumns();
    void ClearFilter();

    ReportTableModel& Model() const { return *model_; }
    ReportGridWidget* Widget() const { return widget_; }
    // The arrangement as it stands (what Save writes).
    ReportSettings Settings() const;
    ReportDocument Document() const;
    // <documents folder>/<report name>-<yyyyMMdd of the end date, else today>.xlsx
    QString DefaultExportPath() const;
    // The same with the printed title (属性, else the report name) and ".pdf": what "保存为PDF" proposes.
    QString DefaultPdfPath() const;
    // The workbook the latest export wrote; empty when none.
    const QString& LastExport() const { return lastExport_; }
    // Writes the arrangement under the report code.
    void Save() const;

private:
    int PriceDecimals() const;
    // <documents folder>/<name as a file name>-<yyyyMMdd of the end date, else today><suffix>
    QString DocumentsPath(const std::string& name, const QString& suffix) const;

    ReportSettingsStore store_;
    std::unique_ptr<ReportTableModel> model_;
    QPointer<ReportGridWidget> widget_;
    std::int32_t dataFormat_ = 0;
    std::string connectStr_, dataSource_, reportCode_, reportName_, startDate_, endDate_, userDefStr0_, userDefStr1_;
    bool showOrder_ = false;
    ReportPageSetup page_;
    std::string arrangedFor_;  // the report code whose arrangement is loaded
    bool arranged_ = false;
    int priceDecimals_ = -1;
    QString lastExport_;
};

// Registers the component with the factory; settingsFile empty: ReportSettingsStore's default.
void RegisterReportGrid(QString settingsFile = {});

}  // namespace host
