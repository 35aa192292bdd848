// Registers the views of the library's windows with the ViewRegistry.
#pragma once

namespace views {

// The branch-mode dialog ("frmSub") and the bill browser ("FrmBrowser"). Safe to call again.
void RegisterStandardViews();

}  // namespace views
