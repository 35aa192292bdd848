// What the browser and the bill editor share for the life of the library: the serial and line
// number in hand, whether the editor works on a new bill or on a stored line, the statement being
// built, and the one editor window.
#pragma once
#include <memory>
#include <string>

namespace bill {

class FrmAdjuctPrice;

struct EditorState {
    std::string CurrentLsh;   // serial number of the bill in the editor
    std::string CurrentDh;    // line number of the line in hand
    bool IsNewBill = false;   // the next save draws a fresh serial number
    bool IsLineAmend = false;  // the entry strip holds a stored line; the next save updates it
    // The one editor window. The browser creates it when missing and keeps its own reference while
    // the window is shown; the window's unload drops this one.
    std::shared_ptr<FrmAdjuctPrice> EditorInstance;
};

EditorState& Shared();

}  // namespace bill
