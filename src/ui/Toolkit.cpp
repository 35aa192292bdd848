#include "ui/Toolkit.h"

#include <stdexcept>

namespace ui {
namespace {
Toolkit*& Current() {
    static Toolkit* current = nullptr;
    return current;
}
}  // namespace

bool HasToolkit() { return Current() != nullptr; }

Toolkit& CurrentToolkit() {
    if (!Current()) throw std::logic_error("no windowing toolkit installed");
    return *Current();
}

void InstallToolkit(Toolkit* toolkit) { Current() = toolkit; }

CommandScope::State& CommandScope::Current() {
    static State state;
    return state;
}

CommandScope::CommandScope() {
    State& s = Current();
    if (s.depth++ == 0) {
        s.faultShown = false;
        s.suppressed = 0;
    }
}

CommandScope::~CommandScope() { --Current().depth; }

int CommandScope::Suppressed() { return Current().suppressed; }

Answer MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& title, DefaultButton def) {
    auto& command = CommandScope::Current();
    if (command.depth > 0 && buttons == Buttons::Ok) {
        // A question always reaches the operator; a second report of the same command does not.
        if (command.faultShown) {
            ++command.suppressed;
            return Answer::Ok;
        }
        if (icon == Icon::Critical || icon == Icon::Exclamation) command.faultShown = true;
    }
    return CurrentToolkit().ShowMessage(Message{text, icon, title, buttons, def});
}

BusyPointer::BusyPointer() {
    if (HasToolkit()) CurrentToolkit().SetBusy(true);
}
BusyPointer::~BusyPointer() {
    if (HasToolkit()) CurrentToolkit().SetBusy(false);
}

std::string Toolkit::Preference(const std::string& key) {
    const auto it = preferences_.find(key);
    return it == preferences_.end() ? std::string() : it->second;
}

void Toolkit::SetPreference(const std::string& key, const std::string& value) { preferences_[key] = value; }

}  // namespace ui
