#include "app/HostComponents.h"

#include "host/PdfPrintEngine.h"
#include "host/QtLookupWindow.h"
#include "host/QtReprintComponent.h"
#include "host/ReportGridComponent.h"
#include "host/ShelfLabelPrinter.h"
#include "host/TableRightsComponent.h"

namespace app {

void RegisterHostComponents(const std::string& outputFolder) {
    host::RegisterTableRights();
    host::RegisterLookupWindow();
    // The program registers its components before the plug-in starts the application, so whether
    // a display exists (preview) or not (PDF files in outputFolder) is decided at each print.
    host::RegisterPdfPrintEngine(host::PrintOutput::Auto, outputFolder);
    host::RegisterReprint();
    host::RegisterShelfLabelPrinter(host::PrintOutput::Auto, outputFolder);
    // Report arrangements go to the operator's own settings file.
    host::RegisterReportGrid();
}

}  // namespace app
