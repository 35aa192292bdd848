// Base of the module's form dialogs (the bill editor and its tool windows): helpers that make one
// bound widget per control state and name each field by its label (buddy and accessible name), so
// that screen readers and the operator see the same captions.
#pragma once
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/DateBox.h"
#include "ui/Grid.h"
#include "ui/Label.h"
#include "ui/NumberBox.h"
#include "ui/OptionButton.h"
#include "ui/TextBox.h"
#include "ui/qt/GridView.h"
#include "ui/qt/View.h"

namespace views {

class FormView : public ui::qt::View {
    Q_OBJECT
public:
    FormView(ui::Window& window, QWidget* parent);

    // The widget of a control of the window, by the control's name; null when unknown.
    QWidget* Widget(const std::string& controlName) const;

protected:
    QLabel* Caption(ui::Label& label, QWidget* parent = nullptr);
    // A label showing a value: read by screen readers under the caption of `heading`.
    QLabel* Value(ui::Label& label, QLabel* heading);
    // A field without a label is named by accessibleName. A locked (display-only) box takes the
    // focus only from the mouse, so that Tab passes it by.
    QLineEdit* Edit(ui::TextBox& box, QLabel* label, const QString& accessibleName = {});
    QDateEdit* Date(ui::DateBox& box, QLabel* label);
    QDoubleSpinBox* Number(ui::NumberBox& box, QLabel* label);
    QComboBox* Combo(ui::ComboBox& box, QLabel* label);
    QPushButton* Button(ui::Button& button);
    QRadioButton* Option(ui::OptionButton& option, QWidget* group);
    ui::qt::GridView* Grid(ui::Grid& grid, const QString& accessibleName, QWidget* parent = nullptr);
    // The window's design size, grown to what the layout needs.
    void SizeFromDesign();
};

}  // namespace views
