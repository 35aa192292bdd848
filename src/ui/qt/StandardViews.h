// Registers the views of the library's windows with the ViewRegistry.
#pragma once

namespace ui::qt {

// The branch-mode dialog ("frmSub") and the bill browser ("FrmBrowser"). Safe to call again.
void RegisterStandardViews();

}  // namespace ui::qt
