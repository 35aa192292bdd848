#include "bill/MarkedList.h"

#include "ui/Keys.h"

namespace bill {

void WireMarkedList(ui::Window& window, ui::TextBox& find, ui::Grid& list, std::function<void()> refilter,
                    std::function<void(int row)> toggle) {
    find.onChange = std::move(refilter);
    find.onKeyDown = [&window, &list](int& key, int) {
        if (key == ui::Key::Enter || key == ui::Key::Down) {
            key = 0;
            window.OfferFocus(list);
        }
    };
    list.onKeyDown = [&list, toggle](int& key, int) {
        if (key == ui::Key::Space) {
            key = 0;
            toggle(list.Row());
        }
    };
    list.onMouseDown = [&list, toggle](int button, int) {
        if (button == ui::MouseButton::Left && list.MouseCol() == 0) toggle(list.MouseRow());
    };
    list.onDblClick = [&list, toggle] { toggle(list.Row()); };
}

}  // namespace bill
