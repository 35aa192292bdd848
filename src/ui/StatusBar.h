// State of a status bar: a list of text panels, numbered from 1. A panel's tone tells the view how
// to colour its text: a notice about the window's state, or a warning the operator should read.
#pragma once
#include <vector>

#include "ui/Control.h"

namespace ui {

class StatusBar : public Control {
public:
    enum class Tone { Normal, Notice, Warning };

    StatusBar(Window& owner, std::string name, int panels) : Control(owner, std::move(name)), panels_(panels) {}
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    const std::string& Panel(int index) const { return panels_.at(index - 1).text; }
    Tone PanelTone(int index) const { return panels_.at(index - 1).tone; }
    void SetPanel(int index, std::string text, Tone tone = Tone::Normal) {
        panels_.at(index - 1) = {std::move(text), tone};
        Notify();
    }

private:
    struct PanelState {
        std::string text;
        Tone tone = Tone::Normal;
    };
    std::vector<PanelState> panels_;
};

}  // namespace ui
