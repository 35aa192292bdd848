// A message box as the windows ask for it: text, buttons, icon, title and default button.
#pragma once
#include <string>

namespace ui {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };
enum class DefaultButton { First, Second };

struct Message {
    std::string text;
    Icon icon = Icon::None;
    std::string title;
    Buttons buttons = Buttons::Ok;
    DefaultButton defaultButton = DefaultButton::First;
};

}  // namespace ui
