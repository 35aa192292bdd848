// Base of the views of the editor's tool windows (price history, totals, bulk change, import):
// a plain dialog with helpers that make a bound widget per control state, name each field by its
// label (buddy and accessible name) and size the dialog from the window's design size.
#pragma once
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>

#include "ui/Button.h"
#include "ui/Grid.h"
#include "ui/Label.h"
#include "ui/NumberBox.h"
#include "ui/OptionButton.h"
#include "ui/TextBox.h"
#include "ui/qt/GridView.h"
#include "ui/qt/View.h"

namespace views {

class ToolView : public ui::qt::View {
    Q_OBJECT
public:
    ToolView(ui::Window& window, QWidget* parent);

    // The widget of a control of the window, by the control's name; null when unknown.
    QWidget* Widget(const std::string& controlName) const;

protected:
    QLabel* Caption(ui::Label& label, QWidget* parent = nullptr);
    // A label showing a value: read by screen readers under the caption of `heading`.
    QLabel* Value(ui::Label& label, QLabel* heading);
    QLineEdit* Edit(ui::TextBox& box, QLabel* label);
    QDoubleSpinBox* Number(ui::NumberBox& box, QLabel* label);
    QPushButton* Button(ui::Button& button);
    QRadioButton* Option(ui::OptionButton& option, QWidget* group);
    ui::qt::GridView* Grid(ui::Grid& grid, const QString& accessibleName);
    void SizeFromDesign();
};

}  // namespace views
