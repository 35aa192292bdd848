// A host database with branches, items and prices, every right granted, a scripted lookup and a recording print engine.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/HostContext.h"
#include "support/TestDatabase.h"

namespace billtest {

struct LookupLog {
    std::vector<std::string> statements;
    std::vector<size_t> rowCounts;
    int pick = 0;  // row taken when the statement returns several; -1 takes none
};
LookupLog& Lookups();

struct PrintLog {
    std::vector<std::string> calls;
    bool registered = true;
};
PrintLog& Prints();

class Editor : public ::testing::Test {
protected:
    Editor();
    ~Editor() override;

    // Opens the editor (new bill when lsh is empty) and runs the operator's actions on it.
    void Open(const std::string& lsh, std::function<void(bill::FrmAdjuctPrice&)> act);
    // Presses a key on a control as the view would: the window first, then the control.
    static void Key(bill::FrmAdjuctPrice& w, ui::Control& c, int key);
    // Item code, Enter, new price, Enter, Save: the keyboard path of one line.
    static void EnterLine(bill::FrmAdjuctPrice& w, const std::string& code, double newPrice);
    // Runs `command`; just before the first statement on the host connection that contains
    // `fragment`, runs `meanwhile` once: another operator's move at a chosen point of a command.
    // Whether that point was reached.
    static bool Meanwhile(const std::string& fragment, const std::function<void()>& meanwhile,
                          const std::function<void()>& command);
    // A stored bill; each line's old price is its new price. bz5 and execdate are SQL expressions.
    void Bill(const std::string& lsh, const std::string& dwbh, int shbz, const std::vector<std::string>& itemsAtPrices,
              const std::string& bz5 = "''", const std::string& execdate = "NULL");
    // Presses `key` on the editor's toolbar and runs `act` on the window `name` it shows. The action
    // is held by value: a refused command leaves it registered after this call returns.
    template <typename Dialog, typename Act>
    void Press(bill::FrmAdjuctPrice& w, const std::string& key, const char* name, Act act) {
        t.Toolkit().OnShow(name, [act](ui::Window& d) mutable { act(static_cast<Dialog&>(d)); });
        w.Toolbar1.Press(key);
    }
    std::string Scalar(const std::string& sql) { return t.Scalar(sql); }
    int Count(const std::string& sql) { return std::stoi(t.Scalar(sql)); }
    std::vector<std::string> MessageTexts();

    testing_support::TestDatabase t;
};

}  // namespace billtest
