// The keys and clicks of a searchable list whose first column holds marks (the tool dialogs that
// pick targets or categories): Enter or Down in the find field goes on to the list and never runs
// the dialog's command; Space on a row, a click in the mark column or a double click toggles the
// row's mark.
#pragma once
#include <functional>

#include "ui/Grid.h"
#include "ui/TextBox.h"
#include "ui/Window.h"

namespace bill {

void WireMarkedList(ui::Window& window, ui::TextBox& find, ui::Grid& list, std::function<void()> refilter,
                    std::function<void(int row)> toggle);

}  // namespace bill
