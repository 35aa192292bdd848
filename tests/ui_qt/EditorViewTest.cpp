// The bill editor on the screen: Enter in fields that have no use for it, typing a date and a price,
// the keyboard back in the editor after another window, the close box, and the status notes'
// colours. The operator's whole path through the editor is walked by tests/e2e.
#include <QDateEdit>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "UiTestSupport.h"
#include "bill/EditorState.h"
#include "bill/FrmAdjuctPrice.h"
#include "data/ComponentFactory.h"
#include "data/SystemSettings.h"
#include "support/ScriptedLookup.h"
#include "ui/qt/ToolbarBinding.h"
#include "views/FrmAdjuctPriceView.h"

using uitest::Press;
using View = views::FrmAdjuctPriceView;
using Logic = bill::FrmAdjuctPrice;

namespace {

QWidget* Focus() { return QApplication::focusWidget(); }

bool WholeTextSelected(QWidget* spin) {
    auto* edit = spin->findChild<QLineEdit*>();
    return edit && !edit->text().isEmpty() && edit->selectedText() == edit->text();
}

class Editor : public uitest::WindowTest {
protected:
    Editor() { UseLookup(testing_support::ScriptedLookup::FirstRow); }
    ~Editor() override { data::ComponentFactory::Unregister(data::ComponentName::Lookup); }
    void UseLookup(testing_support::ScriptedLookup::Chooser choose) {
        data::ComponentFactory::Register(data::ComponentName::Lookup,
                                         [choose] { return std::make_unique<testing_support::ScriptedLookup>(choose); });
    }
    // Types the item code and Enter, then `price` over the proposed one and Enter, then Enter on Save.
    void EnterLine(View& v, const char* code, const char* price) {
        QTest::keyClicks(Focus(), code);
        Press(Qt::Key_Return);
        EXPECT_SOON(Focus() == v.Widget("TxtNSj"));
        EXPECT_SOON(WholeTextSelected(v.Widget("TxtNSj")));  // typed over, not into
        QTest::keyClicks(Focus(), price);
        Press(Qt::Key_Return);
        EXPECT_SOON(Focus() == v.Widget("Cmd_Save"));
        Press(Qt::Key_Return);
        EXPECT_SOON(Focus() == v.Widget("TxtHH"));
    }
};

}  // namespace

TEST_F(Editor, EnterPressesNoButtonFromAFieldWithoutAUseForIt) {
    for (const char* field : {"DtpKdrq", "DtpExecDate", "TxtOSj", "VfgContent", "TxtLSH"}) {
        for (bool lineTyped : {false, true}) {  // with a line in the strip a stray save would succeed
            SCOPED_TRACE(std::string(field) + (lineTyped ? ", line typed" : ""));
            QStringList messages;
            OpenEditor("", [&](View& v, Logic& w) {
                if (lineTyped) {
                    w.TxtDwbh.SetText("001");
                    w.TxtHH.SetText("A1");
                    w.TxtNSj.SetValue(6.8);
                }
                QWidget* target = v.Widget(field);
                target->setFocus();
                EXPECT_SOON(Focus() == target);
                uitest::MessageWatch watch;
                Press(Qt::Key_Return);
                QTest::qWait(50);
                messages = watch.Texts();
                EXPECT_EQ(Focus(), target);
                for (auto* b : v.findChildren<QPushButton*>())
                    EXPECT_FALSE(b->autoDefault() || b->isDefault()) << b->text().toStdString();
            });
            EXPECT_EQ(messages, QStringList());
            EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "0");
        }
    }
}

TEST_F(Editor, ADateIsTypedInFullOrBySection) {
    const QDate shown(2026, 12, 6);
    const struct {
        QString clickAfter;  // empty: the field is entered by Tab
        QString keys;        // \t and \r: Tab and Enter
        QDate taken;
    } cases[] = {{"", "2026-12-31", QDate(2026, 12, 31)},
                 {"", "20261231", QDate(2026, 12, 31)},
                 {"", "2026/12/31", QDate(2026, 12, 31)},
                 {"", "2026-2-3\t", QDate(2026, 2, 3)},
                 {"", "2027.1.5\r", QDate(2027, 1, 5)},
                 {"", "2026-02-31", shown},
                 {"", "2026-2-30\t", shown},
                 {"", "2026-13-01", shown},
                 {"", "2027", QDate(2027, 12, 6)},
                 {"20", "2027", QDate(2027, 12, 6)},
                 {"2026-12-0", "9\t", QDate(2026, 12, 9)},
                 {"2", "2025-11-30", QDate(2025, 11, 30)}};
    for (const auto& c : cases) {
        SCOPED_TRACE((c.clickAfter + "|" + c.keys).toStdString());
        uitest::MessageWatch watch;  // Enter in the date shows nothing
        OpenEditor("", [&](View& v, Logic& w) {
            auto* date = qobject_cast<QDateEdit*>(v.Widget("DtpExecDate"));
            auto* text = date->findChild<QLineEdit*>();
            if (c.clickAfter.isEmpty()) {
                v.Widget("DtpKdrq")->setFocus();
                Press(Qt::Key_Tab);
            } else {
                v.Widget("TxtBZ")->setFocus();
                const QPoint at(text->fontMetrics().horizontalAdvance(c.clickAfter) + 3, text->height() / 2);
                QTest::mouseClick(text, Qt::LeftButton, Qt::NoModifier, at);
            }
            EXPECT_EQ(Focus(), date);
            EXPECT_TRUE(text->hasSelectedText());  // the section entered is typed over
            for (QChar k : c.keys) {
                if (k == u'\t')
                    Press(Qt::Key_Tab);
                else if (k == u'\r')
                    Press(Qt::Key_Return);
                else
                    QTest::keyClicks(Focus(), QString(k));
            }
            EXPECT_EQ(Focus(), c.keys.endsWith(u'\t') ? v.Widget("TxtDwbh") : date);
            EXPECT_EQ(w.TxtDwbh.Text(), "");  // no key went on to the branch
            const db::DateTime& value = w.DtpExecDate.Value();
            EXPECT_EQ(QDate(value.year, value.month, value.day), c.taken);
            EXPECT_EQ(date->date(), c.taken);
            EXPECT_EQ(w.DtpKdrq.Value().day, 6);
        });
        EXPECT_EQ(watch.Texts(), QStringList());
    }
}

TEST_F(Editor, TypingTheShownPriceEntersItAndPassingThroughKeepsIt) {
    data::Settings().jjbl = 1;
    t.Exec("update glprice set SELLPRICE=5.46");
    OpenEditor("", [&](View& v, Logic& w) {
        w.TxtDwbh.SetText("001");
        w.SetFocus(w.TxtHH);
        QTest::keyClicks(Focus(), "A1");
        Press(Qt::Key_Return);
        EXPECT_SOON(Focus() == v.Widget("TxtNSj"));
        auto* price = qobject_cast<QDoubleSpinBox*>(v.Widget("TxtNSj"));
        EXPECT_EQ(price->text(), QStringLiteral("5.5"));  // shown rounded
        Press(Qt::Key_Return);                            // passed through
        EXPECT_SOON(Focus() == v.Widget("Cmd_Save"));
        EXPECT_EQ(w.TxtNSj.Value(), 5.46);
        w.SetFocus(w.TxtNSj);
        price->selectAll();
        QTest::keyClicks(price, "5.5");  // the shown value, typed
        Press(Qt::Key_Return);
        EXPECT_SOON(Focus() == v.Widget("Cmd_Save"));
        EXPECT_EQ(w.TxtNSj.Value(), 5.5);
    });
}

TEST_F(Editor, KeysReachTheEditorAgainAfterAMessageOrTheLookupsWindow) {
    // The host's item lookup shows a modal window of its own over the editor.
    UseLookup([](const std::string&, const db::Recordset& rows) {
        QDialog picker(QApplication::activeWindow());
        picker.setObjectName(QStringLiteral("picker"));
        uitest::WhenModal([](QWidget* w) { return w->objectName() == QStringLiteral("picker"); },
                          [](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
        picker.exec();
        return rows.RecordCount() > 0 ? 0L : -1L;
    });
    t.Grant("0001", "审核");
    OpenEditor("", [&](View& v, Logic& w) {
        // Auditing the bill before it was saved: refused without a question.
        uitest::MessageWatch watch;
        QAction* audit = v.ToolbarBound().ActionOf("审核");
        QTimer::singleShot(0, audit, [audit] { audit->trigger(); });
        EXPECT_SOON(watch.Texts() == QStringList{QStringLiteral("此单据尚未保存，不能审核!")});
        EXPECT_SOON(QApplication::activeWindow() == &v);
        Press(Qt::Key_Tab);
        QTest::keyClicks(Focus(), "001");
        Press(Qt::Key_Return);
        EXPECT_SOON(Focus() == v.Widget("TxtBZ"));
        w.SetFocus(w.TxtHH);
        EnterLine(v, "*", "7");
    });
    EXPECT_EQ(t.Joined("select hh,sj2 from SubAdjuctPricemx"), "A1 7");
}

TEST_F(Editor, TheCloseBoxAsksFirstWhenEntriesAreUnsaved) {
    OpenEditor("", [&](View& v, Logic& w) {
        w.TxtBZ.TypedText("年末");
        {
            uitest::MessageWatch watch;  // answers 否
            v.close();
            EXPECT_SOON(watch.Texts() == QStringList{QStringLiteral("有未保存的修改，确实要退出吗?")});
        }
        EXPECT_TRUE(v.isVisible() && w.IsShown());
    });
    EXPECT_EQ(t.Scalar("select count(*) from SubAdjuctPrice"), "0");
}

TEST_F(Editor, StatusNotesShowInTheirOwnColours) {
    OpenEditor("", [&](View& v, Logic& w) {
        auto* panel = v.StatusBar()->findChild<QLabel*>(QStringLiteral("panel1"));
        ASSERT_TRUE(panel);
        auto colour = [panel] { return panel->palette().color(QPalette::WindowText); };
        const QColor normal = colour();
        w.StatusBar1.SetPanel(1, "注意", ui::StatusBar::Tone::Warning);
        const QColor warning = colour();
        EXPECT_TRUE(warning != normal && panel->font().bold());
        w.StatusBar1.SetPanel(1, bill::kAuditedStatusText, ui::StatusBar::Tone::Notice);
        EXPECT_TRUE(colour() != normal && colour() != warning);
        EXPECT_EQ(panel->text(), QString::fromUtf8(bill::kAuditedStatusText));
        w.StatusBar1.SetPanel(1, bill::kStatusText);
        EXPECT_TRUE(colour() == normal && !panel->font().bold());
    });
}
