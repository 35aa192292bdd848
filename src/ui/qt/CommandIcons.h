// One icon per command, the same in every window: the command's key (the toolbar button's key,
// such as "打印") names an icon of the freedesktop icon theme Debian ships (Adwaita), all shown at
// one size. A command the table does not know gets a neutral icon of the same set.
#pragma once
#include <QIcon>
#include <QSize>
#include <string>

namespace ui::qt {

inline constexpr int kToolIconPixels = 24;
inline QSize ToolIconSize() { return QSize(kToolIconPixels, kToolIconPixels); }

// The theme icon name of a command key, or "" for a key without one.
const char* CommandIconName(const std::string& key);
// The icon of a command; a key without one takes `fallbackName` from the same theme, then a
// neutral icon. Never null.
QIcon CommandIcon(const std::string& key, const std::string& fallbackName = {});

}  // namespace ui::qt
