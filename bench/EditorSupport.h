// The bill editor on the headless toolkit, as the browser opens it, and the keys an operator
// presses in it.
#pragma once

#include <memory>
#include <string>

#include "bench/BenchEnvironment.h"
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"

namespace bench {

// Opens the editor on the bill `lsh` (a new bill when empty) and runs `act` once it is loaded.
template <typename Act>
void WithEditor(const std::string& lsh, Act act) {
    auto& shared = bill::Shared();
    shared.CurrentLsh = lsh;
    shared.IsNewBill = lsh.empty();
    shared.EditorInstance = std::make_shared<bill::FrmAdjuctPrice>();
    std::shared_ptr<bill::FrmAdjuctPrice> editor = shared.EditorInstance;
    BenchEnvironment::Get().Toolkit().OnShow("FrmAdjuctPrice", [&](ui::Window&) { act(*editor); });
    editor->ShowModal();
}

// A key pressed on a control, as the view delivers it: the window first, then the control.
inline void PressKey(bill::FrmAdjuctPrice& w, ui::Control& c, int key) {
    w.SetFocus(c);
    int k = key;
    w.OnKeyDown(k, 0);
    if (k != 0) c.RaiseKeyDown(k, 0);
}

}  // namespace bench
