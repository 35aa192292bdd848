// The process's QApplication as the library needs it: created on demand when the host has none,
// with a CJK font and Qt's Chinese translation of its standard texts (message-box buttons,
// line-edit menus, calendar).
#pragma once

namespace ui::qt {

// Creates the QApplication when none exists (it then lives until the process ends) and installs
// the Chinese translation once per application. Safe to call any number of times.
void EnsureApplication();
// Destroys the application that EnsureApplication created, if it created one; a host's own
// application is left alone. Must run before the process exits, while Qt is still whole.
void ReleaseOwnedApplication();
// Installs Qt's zh_CN translation into the running application unless already installed;
// false when the translation file could not be loaded.
bool InstallChineseTranslation();

}  // namespace ui::qt
