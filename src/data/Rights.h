// Asking the rights component on behalf of a command, and the denial message.
#pragma once
#include <string>

namespace data {

inline constexpr const char* kModuleCode = "00000368";

// Whether the current operator holds the right. A failure to create or call the component is
// raised to the caller's own error handling.
bool HasRight(const std::string& right);
// "对不起，你没有此权限！"
void ShowNoRight();
// HasRight, showing the denial message when refused.
bool CheckRight(const std::string& right);

}  // namespace data
