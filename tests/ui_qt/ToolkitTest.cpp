// The Qt toolkit: key codes, message boxes, a modal window's life and the entry bindings both ways.
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "UiTestSupport.h"
#include "ui/DateBox.h"
#include "ui/Keys.h"
#include "ui/NumberBox.h"
#include "ui/TextBox.h"
#include "ui/Window.h"
#include "ui/qt/DateBoxBinding.h"
#include "ui/qt/KeyMap.h"
#include "ui/qt/NumberBoxBinding.h"
#include "ui/qt/TextBoxBinding.h"
#include "ui/qt/ViewRegistry.h"

using namespace std::string_literals;

namespace {

class Probe : public ui::Window {
public:
    explicit Probe(std::string name = "probe") : ui::Window(std::move(name), "探针") {}
    ui::TextBox Txt{*this, "Txt"};
    ui::DateBox Date{*this, "Date"};
    ui::NumberBox Price{*this, "Price"};
    std::function<void()> onLoad;
    int loads = 0, unloads = 0;
    void OnLoad() override {
        ++loads;
        if (onLoad) onLoad();
    }
    void OnUnload() override { ++unloads; }
};

class ProbeView : public ui::qt::View {
    Q_OBJECT
public:
    ProbeView(Probe& w, QWidget* parent)
        : View(w, parent), txt(new QLineEdit(this)), date(new ui::qt::DateEdit(this)), price(new QDoubleSpinBox(this)) {
        auto* layout = new QVBoxLayout(this);
        for (QWidget* c : std::initializer_list<QWidget*>{txt, date, price}) layout->addWidget(c);
        Adopt(std::make_unique<ui::qt::TextBoxBinding>(w.Txt, txt));
        Adopt(std::make_unique<ui::qt::DateBoxBinding>(w.Date, date));
        Adopt(std::make_unique<ui::qt::NumberBoxBinding>(w.Price, price));
    }
    QLineEdit* txt;
    ui::qt::DateEdit* date;
    QDoubleSpinBox* price;
};

class Toolkit : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui::qt::ViewRegistry::Instance().Register("probe", [](ui::Window& w, QWidget* parent) {
            return std::unique_ptr<ui::qt::View>(std::make_unique<ProbeView>(dynamic_cast<Probe&>(w), parent));
        });
    }
    uitest::ScopedQtToolkit tk;
};

}  // namespace

TEST_F(Toolkit, KeyCodes) {
    const int pad = Qt::KeypadModifier;
    const struct {
        int qtKey, modifiers, hostKey;
    } cases[] = {{Qt::Key_Enter, pad, ui::Key::Enter}, {Qt::Key_1, 0, ui::Key::Digit1}, {Qt::Key_1, pad, 97},
                 {Qt::Key_F11, 0, ui::Key::F11},       {Qt::Key_Backtab, 0, ui::Key::Tab}, {Qt::Key_VolumeUp, 0, ui::Key::None}};
    for (const auto& c : cases)
        EXPECT_EQ(ui::qt::KeyMap::HostKey(c.qtKey, Qt::KeyboardModifiers(c.modifiers)), c.hostKey) << c.qtKey << " " << c.modifiers;
    EXPECT_EQ(ui::qt::KeyMap::HostShift(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier), 7);
}

TEST_F(Toolkit, MessageBoxes) {
    using B = ui::Buttons;
    using I = ui::Icon;
    using D = ui::DefaultButton;
    const struct {
        I icon;
        B buttons;
        D def;
        Qt::Key key;
        QMessageBox::Icon boxIcon;
        ui::Answer answer;
    } cases[] = {{I::Exclamation, B::Ok, D::First, Qt::Key_Return, QMessageBox::Warning, ui::Answer::Ok},
                 {I::Critical, B::Ok, D::First, Qt::Key_Escape, QMessageBox::Critical, ui::Answer::Ok},
                 {I::Question, B::YesNo, D::Second, Qt::Key_Return, QMessageBox::Question, ui::Answer::No},
                 {I::Question, B::YesNo, D::First, Qt::Key_Escape, QMessageBox::Question, ui::Answer::No}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.boxIcon) * 10 + int(c.def));
        uitest::WhenShown<QMessageBox>([&](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle() + box.text(), QStringLiteral("系统提示确实要删除吗？"));
            EXPECT_EQ(box.icon(), c.boxIcon);
            if (c.buttons == B::YesNo)  // Qt's Chinese texts carry the access keys: "是(&Y)"
                EXPECT_TRUE(box.buttons().size() == 2 && box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")));
            else
                EXPECT_EQ(box.buttons().size(), 1);
            QTest::keyClick(&box, c.key);
        });
        EXPECT_EQ(tk->ShowMessage({"确实要删除吗？", c.icon, "系统提示", c.buttons, c.def}), c.answer);
    }
}

TEST_F(Toolkit, LoadUnloadAndCloseBox) {
    Probe w;
    bool visibleDuringLoad = true;
    w.onLoad = [&] {
        ui::qt::View* v = tk->ViewOf(w);
        visibleDuringLoad = !v || v->isVisible();
        w.Txt.SetText("载入");
    };
    uitest::WhenShown<ProbeView>([&](ProbeView& v) {
        EXPECT_EQ(v.txt->text(), QStringLiteral("载入"));
        v.close();  // the title bar's close box
    });
    w.ShowModal();
    w.Close();
    EXPECT_TRUE(!visibleDuringLoad && !w.IsShown() && w.unloads == 1);

    Probe closing;  // closed by its own load: never shown
    closing.onLoad = [&] { closing.Close(); };
    QObject guard;  // should it be shown after all, it is closed rather than left to hang
    QTimer::singleShot(2000, &guard, [] {
        ADD_FAILURE() << "a window closed by its load was shown";
        if (auto* v = qobject_cast<ui::qt::View*>(QApplication::activeModalWidget())) v->Unload();
    });
    closing.ShowModal();
    EXPECT_EQ(closing.loads + closing.unloads, 2);

    Probe nameless("no view for this name");
    EXPECT_THROW(nameless.ShowModal(), std::logic_error);
}

TEST_F(Toolkit, EntryBindingsShowTheStateAndReportTyping) {
    Probe w;
    uitest::WhenShown<ProbeView>([&](ProbeView& v) {
        w.Txt.SetText("单价");
        w.Txt.SetLocked(true);
        w.Txt.Select(1, 1);
        EXPECT_TRUE(v.txt->selectedText() == QStringLiteral("价") && v.txt->isReadOnly());
        w.Txt.SetText("12");
        w.Txt.SetLocked(false);
        v.txt->end(false);
        uitest::Press(Qt::Key_3);
        EXPECT_EQ(w.Txt.Text() + std::to_string(w.Txt.SelStart()), "1233"s);  // the caret comes back to the state

        w.Date.SetValue(db::DateTime{2026, 12, 6});
        EXPECT_EQ(v.date->text(), QStringLiteral("2026-12-06"));
        w.Price.SetDecimals(3);
        w.Price.SetValue(12.5);
        EXPECT_EQ(v.price->text(), QStringLiteral("12.500"));
        w.SetFocus(w.Price);
        EXPECT_SOON(QApplication::focusWidget() == v.price);
        v.price->selectAll();
        for (Qt::Key k : {Qt::Key_7, Qt::Key_Period, Qt::Key_2, Qt::Key_Up}) uitest::Press(k);
        EXPECT_EQ(w.Price.Value(), 7.2);  // typed, and not stepped by the arrow key
        w.Close();
    });
    w.ShowModal();
}

#include "ToolkitTest.moc"
