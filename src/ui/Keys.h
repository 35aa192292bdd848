// Key codes and shift states as the windows' key handlers receive them (the host's virtual-key
// numbering: Enter 13, Esc 27, F2 113 ...).
#pragma once

namespace ui::Key {
inline constexpr int None = 0;
inline constexpr int Tab = 9;
inline constexpr int Enter = 13;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Up = 38;
inline constexpr int Down = 40;
inline constexpr int Delete = 46;
inline constexpr int Digit1 = 49;
inline constexpr int F2 = 113;
inline constexpr int F3 = 114;
inline constexpr int F5 = 116;
inline constexpr int F7 = 118;
inline constexpr int F8 = 119;
inline constexpr int F9 = 120;
inline constexpr int F11 = 122;
}  // namespace ui::Key

namespace ui::ShiftState {
inline constexpr int None = 0;
inline constexpr int Shift = 1;
inline constexpr int Ctrl = 2;
inline constexpr int Alt = 4;
}  // namespace ui::ShiftState

namespace ui::MouseButton {
inline constexpr int Left = 1;
inline constexpr int Right = 2;
}  // namespace ui::MouseButton
