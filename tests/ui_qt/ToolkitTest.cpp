// The Qt toolkit: key codes, message boxes, the life of a modal window (load before it shows,
// close box, unload once, a window closed during its load), and the text box binding.
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
#include "ui/qt/KeyMap.h"
#include "ui/qt/DateBoxBinding.h"
#include "ui/qt/NumberBoxBinding.h"
#include "ui/qt/TextBoxBinding.h"
#include "ui/qt/ViewRegistry.h"

Q_DECLARE_METATYPE(ui::Message)
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

}  // namespace

class ToolkitTest : public QObject {
    Q_OBJECT
    std::unique_ptr<uitest::ScopedQtToolkit> tk;

private slots:
    void initTestCase() {
        tk = std::make_unique<uitest::ScopedQtToolkit>();
        ui::qt::ViewRegistry::Instance().Register("probe", [](ui::Window& w, QWidget* parent) {
            return std::unique_ptr<ui::qt::View>(std::make_unique<ProbeView>(dynamic_cast<Probe&>(w), parent));
        });
    }
    void cleanupTestCase() { tk.reset(); }

    void keyCodes_data() {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("hostKey");
        const int pad = Qt::KeypadModifier;
        QTest::newRow("Return") << int(Qt::Key_Return) << 0 << ui::Key::Enter;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << pad << ui::Key::Enter;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << 0 << ui::Key::Escape;
        QTest::newRow("Down") << int(Qt::Key_Down) << 0 << ui::Key::Down;
        QTest::newRow("1") << int(Qt::Key_1) << 0 << ui::Key::Digit1;
        QTest::newRow("keypad 1") << int(Qt::Key_1) << pad << 97;
        QTest::newRow("F2") << int(Qt::Key_F2) << 0 << ui::Key::F2;
        QTest::newRow("F11") << int(Qt::Key_F11) << 0 << ui::Key::F11;
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << 0 << ui::Key::Tab;
        QTest::newRow("no host code") << int(Qt::Key_VolumeUp) << 0 << ui::Key::None;
    }
    void keyCodes() {
        QFETCH(int, qtKey);
        QFETCH(int, modifiers);
        QFETCH(int, hostKey);
        QCOMPARE(ui::qt::KeyMap::HostKey(qtKey, Qt::KeyboardModifiers(modifiers)), hostKey);
        QCOMPARE(ui::qt::KeyMap::HostShift(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier), 7);
    }

    void messageBox_data() {
        QTest::addColumn<ui::Message>("m");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("boxIcon");
        QTest::addColumn<int>("answer");
        using B = ui::Buttons;
        using I = ui::Icon;
        using D = ui::DefaultButton;
        auto m = [](I icon, B buttons, D def) { return ui::Message{"确实要删除吗？", icon, "系统提示", buttons, def}; };
        QTest::newRow("information") << m(I::Information, B::Ok, D::First) << int(Qt::Key_Return) << int(QMessageBox::Information) << int(ui::Answer::Ok);
        QTest::newRow("exclamation") << m(I::Exclamation, B::Ok, D::First) << int(Qt::Key_Return) << int(QMessageBox::Warning) << int(ui::Answer::Ok);
        QTest::newRow("critical, Esc") << m(I::Critical, B::Ok, D::First) << int(Qt::Key_Escape) << int(QMessageBox::Critical) << int(ui::Answer::Ok);
        QTest::newRow("second default") << m(I::Question, B::YesNo, D::Second) << int(Qt::Key_Return) << int(QMessageBox::Question) << int(ui::Answer::No);
        QTest::newRow("Esc answers No") << m(I::Question, B::YesNo, D::First) << int(Qt::Key_Escape) << int(QMessageBox::Question) << int(ui::Answer::No);
    }
    void messageBox() {
        QFETCH(ui::Message, m);
        QFETCH(int, key);
        QFETCH(int, boxIcon);
        QFETCH(int, answer);
        uitest::WhenShown<QMessageBox>([&](QMessageBox& box) {
            QCOMPARE(box.windowTitle(), QStringLiteral("系统提示"));
            QCOMPARE(box.text(), QStringLiteral("确实要删除吗？"));
            QCOMPARE(int(box.icon()), boxIcon);
            if (m.buttons == ui::Buttons::YesNo) {
                QCOMPARE(box.buttons().size(), 2);
                // Qt's Chinese texts carry the access keys: "是(&Y)", "否(&N)".
                QVERIFY(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")));
                QVERIFY(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("否")));
                QVERIFY(box.defaultButton() ==
                        box.button(m.defaultButton == ui::DefaultButton::First ? QMessageBox::Yes : QMessageBox::No));
            } else {
                QCOMPARE(box.buttons().size(), 1);
                QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
            }
            QTest::keyClick(&box, Qt::Key(key));
        });
        QCOMPARE(int((*tk)->ShowMessage(m)), answer);
    }

    void loadUnloadAndCloseBox() {
        Probe w;
        bool visibleDuringLoad = true;
        w.onLoad = [&] {
            ui::qt::View* v = (*tk)->ViewOf(w);
            visibleDuringLoad = !v || v->isVisible();
            w.Txt.SetText("载入");
        };
        uitest::WhenShown<ProbeView>([&](ProbeView& v) {
            QCOMPARE(v.txt->text(), QStringLiteral("载入"));
            v.close();  // the title bar's close box
        });
        w.ShowModal();
        QVERIFY(!visibleDuringLoad && !w.IsShown());
        w.Close();
        QCOMPARE(w.unloads, 1);

        Probe closing;  // closed by its own load: never shown
        closing.onLoad = [&] { closing.Close(); };
        QObject guard;  // should it be shown after all, it is closed rather than left to hang
        QTimer::singleShot(2000, &guard, [] {
            QTest::qFail("a window closed by its load was shown", __FILE__, __LINE__);
            if (auto* v = qobject_cast<ui::qt::View*>(QApplication::activeModalWidget())) v->Unload();
        });
        closing.ShowModal();
        QCOMPARE(closing.loads + closing.unloads, 2);

        Probe nameless("no view for this name");
        QVERIFY_THROWS_EXCEPTION(std::logic_error, nameless.ShowModal());
        QVERIFY(!nameless.IsShown());
    }

    void entryBindingsShowTheStateAndReportTyping() {
        Probe w;
        uitest::WhenShown<ProbeView>([&](ProbeView& v) {
            w.Txt.SetText("单价");
            w.Txt.SetLocked(true);
            w.Txt.SetBackColor(0xFFFF00);
            w.Txt.Select(1, 1);
            QCOMPARE(v.txt->selectedText(), QStringLiteral("价"));
            QVERIFY(v.txt->isReadOnly() && v.txt->palette().color(QPalette::Base) == QColor(255, 255, 0));
            w.Txt.SetText("12");
            w.Txt.SetLocked(false);
            v.txt->end(false);
            uitest::Press(Qt::Key_3);
            QCOMPARE(w.Txt.Text(), "123"s);
            QCOMPARE(w.Txt.SelStart(), 3);  // the caret comes back to the state

            w.Date.SetValue(db::DateTime{2026, 12, 6});
            QVERIFY(v.date->calendarPopup() && v.date->text() == QStringLiteral("2026-12-06"));
            w.Price.SetDecimals(3);
            w.Price.SetValue(12.5);
            QCOMPARE(v.price->text(), QStringLiteral("12.500"));
            w.SetFocus(w.Price);
            QTRY_VERIFY(QApplication::focusWidget() == v.price);
            v.price->selectAll();
            for (Qt::Key k : {Qt::Key_7, Qt::Key_Period, Qt::Key_2, Qt::Key_Up}) uitest::Press(k);
            QCOMPARE(w.Price.Value(), 7.2);  // typed, and not stepped by the arrow key
            w.Close();
        });
        w.ShowModal();
    }
};

static const bool registered = uitest::AddSuite([](int argc, char** argv) {
    ToolkitTest t;
    return QTest::qExec(&t, argc, argv);
});

#include "ToolkitTest.moc"
