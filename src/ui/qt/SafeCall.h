// Runs a window-logic handler from a Qt event or signal as one command of the operator. An
// exception must not unwind through Qt's event loop, so one that escapes the handler is logged and
// stops there.
#pragma once
#include <QtGlobal>
#include <exception>
#include <utility>

#include "ui/Toolkit.h"

namespace ui::qt {

template <typename F>
void SafeCall(F&& handler) noexcept {
    try {
        ui::CommandScope command;
        std::forward<F>(handler)();
    } catch (const std::exception& e) {
        qWarning("window handler failed: %s", e.what());
    } catch (...) {
        qWarning("window handler failed with an unknown exception");
    }
}

}  // namespace ui::qt
