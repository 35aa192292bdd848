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

Answer MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& title, DefaultButton def) {
    return CurrentToolkit().ShowMessage(Message{text, icon, title, buttons, def});
}

BusyPointer::BusyPointer() {
    if (HasToolkit()) CurrentToolkit().SetBusy(true);
}
BusyPointer::~BusyPointer() {
    if (HasToolkit()) CurrentToolkit().SetBusy(false);
}

}  // namespace ui
