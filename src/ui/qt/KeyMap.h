// Translates Qt key events into the host's key codes (Windows virtual-key numbers) and shift
// states, the form in which window logic receives keys and mouse shift states.
#pragma once
#include <Qt>

class QKeyEvent;

namespace ui::qt {

class KeyMap {
public:
    // The host key code of a Qt key, 0 when the host has no code for it. Keypad digits and
    // operators get the host's numeric-pad codes when `modifiers` carries Qt::KeypadModifier.
    static int HostKey(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static int HostKey(const QKeyEvent& e);
    // Shift 1, Ctrl 2, Alt 4, added together.
    static int HostShift(Qt::KeyboardModifiers modifiers);
};

}  // namespace ui::qt
