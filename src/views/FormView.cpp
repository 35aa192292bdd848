#include "views/FormView.h"

#include "ui/Window.h"
#include "ui/qt/ButtonBinding.h"
#include "ui/qt/ComboBoxBinding.h"
#include "ui/qt/DateBoxBinding.h"
#include "ui/qt/DateEdit.h"
#include "ui/qt/GridBinding.h"
#include "ui/qt/LabelBinding.h"
#include "ui/qt/NumberBoxBinding.h"
#include "ui/qt/OptionButtonBinding.h"
#include "ui/qt/TextBoxBinding.h"

namespace views {
using namespace ui::qt;

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

FormView::FormView(ui::Window& window, QWidget* parent) : View(window, parent) { setObjectName(Q(window.Name())); }

QWidget* FormView::Widget(const std::string& controlName) const {
    ui::Control* c = LogicWindow().Find(controlName);
    return c ? WidgetOf(*c) : nullptr;
}

QLabel* FormView::Caption(ui::Label& label, QWidget* parent) {
    auto* widget = new QLabel(parent ? parent : this);
    widget->setObjectName(Q(label.Name()));
    Adopt(std::make_unique<LabelBinding>(label, widget));
    return widget;
}

QLabel* FormView::Value(ui::Label& label, QLabel* heading) {
    QLabel* widget = Caption(label);
    widget->setTextInteractionFlags(Qt::TextSelectableByMouse);
    widget->setAccessibleName(heading->text());
    heading->setBuddy(widget);
    return widget;
}

QLineEdit* FormView::Edit(ui::TextBox& box, QLabel* label, const QString& accessibleName) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(Q(box.Name()));
    if (label) label->setBuddy(edit);
    edit->setAccessibleName(label ? label->text() : accessibleName);
    if (box.Locked()) edit->setFocusPolicy(Qt::ClickFocus);
    Adopt(std::make_unique<TextBoxBinding>(box, edit));
    return edit;
}

QDateEdit* FormView::Date(ui::DateBox& box, QLabel* label) {
    auto* edit = new DateEdit(this);
    edit->setObjectName(Q(box.Name()));
    label->setBuddy(edit);
    Adopt(std::make_unique<DateBoxBinding>(box, edit));
    edit->setAccessibleName(label->text());
    return edit;
}

QDoubleSpinBox* FormView::Number(ui::NumberBox& box, QLabel* label) {
    auto* spin = new QDoubleSpinBox(this);
    spin->setObjectName(Q(box.Name()));
    label->setBuddy(spin);
    Adopt(std::make_unique<NumberBoxBinding>(box, spin));
    spin->setAccessibleName(label->text());
    return spin;
}

QComboBox* FormView::Combo(ui::ComboBox& box, QLabel* label) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(Q(box.Name()));
    label->setBuddy(combo);
    Adopt(std::make_unique<ComboBoxBinding>(box, combo));
    combo->setAccessibleName(label->text());
    return combo;
}

QPushButton* FormView::Button(ui::Button& button) {
    auto* push = new QPushButton(this);
    push->setObjectName(Q(button.Name()));
    Adopt(std::make_unique<ButtonBinding>(button, push));
    push->setAccessibleName(push->text());
    return push;
}

QRadioButton* FormView::Option(ui::OptionButton& option, QWidget* group) {
    auto* radio = new QRadioButton(group);
    radio->setObjectName(Q(option.Name()));
    Adopt(std::make_unique<OptionButtonBinding>(option, radio));
    radio->setAccessibleName(radio->text());
    return radio;
}

GridView* FormView::Grid(ui::Grid& grid, const QString& accessibleName, QWidget* parent) {
    auto* view = new GridView(parent ? parent : this);
    view->setObjectName(Q(grid.Name()));
    view->setAccessibleName(accessibleName);
    Adopt(std::make_unique<GridBinding>(grid, view));
    return view;
}

void FormView::SizeFromDesign() {
    resize(DesignSize(QSize(0, 0)).expandedTo(minimumSizeHint()));
}

}  // namespace views
