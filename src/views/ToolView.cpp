#include "views/ToolView.h"

#include "ui/Window.h"
#include "ui/qt/ButtonBinding.h"
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

ToolView::ToolView(ui::Window& window, QWidget* parent) : View(window, parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setObjectName(Q(window.Name()));
}

QWidget* ToolView::Widget(const std::string& controlName) const {
    ui::Control* c = LogicWindow().Find(controlName);
    return c ? WidgetOf(*c) : nullptr;
}

QLabel* ToolView::Caption(ui::Label& label, QWidget* parent) {
    auto* widget = new QLabel(parent ? parent : this);
    widget->setObjectName(Q(label.Name()));
    Adopt(std::make_unique<LabelBinding>(label, widget));
    return widget;
}

QLabel* ToolView::Value(ui::Label& label, QLabel* heading) {
    QLabel* widget = Caption(label);
    widget->setTextInteractionFlags(Qt::TextSelectableByMouse);
    widget->setAccessibleName(heading->text());
    heading->setBuddy(widget);
    return widget;
}

QLineEdit* ToolView::Edit(ui::TextBox& box, QLabel* label) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(Q(box.Name()));
    label->setBuddy(edit);
    edit->setAccessibleName(label->text());
    Adopt(std::make_unique<TextBoxBinding>(box, edit));
    return edit;
}

QDoubleSpinBox* ToolView::Number(ui::NumberBox& box, QLabel* label) {
    auto* spin = new QDoubleSpinBox(this);
    spin->setObjectName(Q(box.Name()));
    label->setBuddy(spin);
    Adopt(std::make_unique<NumberBoxBinding>(box, spin));
    spin->setAccessibleName(label->text());
    return spin;
}

QPushButton* ToolView::Button(ui::Button& button) {
    auto* push = new QPushButton(this);
    push->setObjectName(Q(button.Name()));
    Adopt(std::make_unique<ButtonBinding>(button, push));
    push->setAccessibleName(push->text());
    push->setAutoDefault(false);
    return push;
}

QRadioButton* ToolView::Option(ui::OptionButton& option, QWidget* group) {
    auto* radio = new QRadioButton(group);
    radio->setObjectName(Q(option.Name()));
    Adopt(std::make_unique<OptionButtonBinding>(option, radio));
    radio->setAccessibleName(radio->text());
    return radio;
}

GridView* ToolView::Grid(ui::Grid& grid, const QString& accessibleName) {
    auto* view = new GridView(this);
    view->setObjectName(Q(grid.Name()));
    view->setAccessibleName(accessibleName);
    Adopt(std::make_unique<GridBinding>(grid, view));
    return view;
}

void ToolView::SizeFromDesign() {
    constexpr int kTwipsPerPixel = 15;
    const ui::Window& w = LogicWindow();
    resize(QSize(w.DesignWidth() / kTwipsPerPixel, w.DesignHeight() / kTwipsPerPixel).expandedTo(minimumSizeHint()));
}

}  // namespace views
