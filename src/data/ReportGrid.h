// The host's report grid: runs one statement and shows its rows as a report, with print preview,
// export to a workbook, report properties, filter and column definitions as actions 1 to 5. The
// report window hands it its settings through the ten setters, loads it with RefreshReport and
// sizes it in twips.
//
// The grid draws in a widget of the host's toolkit. NativeWidget() hands that widget to the view
// that places it, as an opaque handle (on the Qt host a QWidget*); the component keeps owning it,
// so a view must give it back (unparent it) before the view goes away.
#pragma once
#include <cstdint>
#include <string>

#include "data/Component.h"

namespace data {

class ReportGrid : public Component {
public:
    virtual void SetDataFormat(std::int32_t format) = 0;
    virtual void SetConnectStr(const std::string& connStr) = 0;
    virtual void SetDataSource(const std::string& sql) = 0;
    virtual void SetIsShowOrder(bool showOrder) = 0;
    virtual void SetReportCode(const std::string& code) = 0;
    virtual void SetReportName(const std::string& name) = 0;
    virtual void SetStartDate(const std::string& date) = 0;
    virtual void SetEndDate(const std::string& date) = 0;
    virtual void SetUserDefStr0(const std::string& text) = 0;
    virtual void SetUserDefStr1(const std::string& text) = 0;

    // Loads the report from the settings above; throws db::Error when the statement fails (the
    // report shown before stays).
    virtual void RefreshReport() = 0;
    // 1 print preview, 2 export to a workbook, 3 report properties, 4 filter, 5 column definitions.
    virtual void ExecAction(int action) = 0;

    virtual void SetWidth(int twips) = 0;
    virtual void SetHeight(int twips) = 0;

    // The widget the grid draws in (see above); null when it has none.
    virtual void* NativeWidget() = 0;
};

// ExecAction's numbers.
namespace ReportAction {
inline constexpr int Preview = 1;
inline constexpr int Export = 2;
inline constexpr int Properties = 3;
inline constexpr int Filter = 4;
inline constexpr int Columns = 5;
}  // namespace ReportAction

}  // namespace data
