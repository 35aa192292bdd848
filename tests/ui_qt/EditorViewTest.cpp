// The bill editor on the screen: keys in its fields, the keyboard back after another window, the close box.
#include <QDateEdit>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "UiTestSupport.h"
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

class Editor : public uitest::WindowTest {
protected:
    Editor() { UseLookup(testing_support::ScriptedLookup::FirstRow); }
    ~Editor() override { data::ComponentFactory::Unregister(data::ComponentName::Lookup); }
    void UseLookup(testing_support::ScriptedLookup::Chooser choose) {
        data::ComponentFactory::Register(data::ComponentName::Lookup,
                                         [choose] { return std::make_unique<testing_support::ScriptedLookup>(choose); });
    }
};

}  // namespace

TEST_F(Editor, EnterPressesNoButtonFromAFieldWithoutAUseForIt) {
    for (const char* field : {"DtpExecDate", "TxtOSj", "VfgContent", "TxtLSH"}) {
        SCOPED_TRACE(field);
        uitest::MessageWatch watch;  // a stray save of the empty bill would complain
        OpenEditor("", [&](View& v, Logic&) {
            QWidget* target = v.Widget(field);
            target->setFocus();
            EXPECT_SOON(Focus() == target);
            Press(Qt::Key_Return);
            QTest::qWait(50);
            EXPECT_EQ(Focus(), target);
            for (auto* b : v.findChildren<QPushButton*>())
                EXPECT_FALSE(b->autoDefault() || b->isDefault()) << b->text().toStdString();
        });
        EXPECT_EQ(watch.Texts(), QStringList());
    }
}

TEST_F(Editor, ADateIsTypedInFullOrBySection) {
    const QDate shown(2026, 12, 6);
    const struct {
        QString clickAfter;  // empty: the field is entered by Tab
        QString keys;        // \t and \r: Tab and Enter
        QDate taken;
    } cases[] = {{"", "2026-12-31", QDate(2026, 12, 31)},     {"", "20261231", QDate(2026, 12, 31)},
                 {"", "2026-2-3\t", QDate(2026, 2, 3)},       {"", "2027.1.5\r", QDate(2027, 1, 5)},
                 {"", "2026-02-31", shown},                   {"", "2027", QDate(2027, 12, 6)},
                 {"2026-12-0", "9\t", QDate(2026, 12, 9)}, {"2", "2025-11-30", QDate(2025, 11, 30)}};
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
            EXPECT_TRUE(Focus() == date && text->hasSelectedText());  // the section entered is typed over
            for (QChar k : c.keys) {
                if (k == u'\t')
                    Press(Qt::Key_Tab);
                else if (k == u'\r')
                    Press(Qt::Key_Return);
                else
                    QTest::keyClicks(Focus(), QString(k));
            }
            EXPECT_EQ(Focus(), c.keys.endsWith(u'\t') ? v.Widget("TxtDwbh") : date);
            EXPECT_EQ(w.TxtDwbh.Text() + std::to_string(w.DtpKdrq.Value().day), "6");  // no key went on to another field
            const db::DateTime& value = w.DtpExecDate.Value();
            EXPECT_EQ(QDate(value.year, value.month, value.day), c.taken);
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
        Press(Qt::Key_Return);  // passed through
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
        QTest::keyClicks(Focus(), "*");
        Press(Qt::Key_Return);
        auto* price = v.Widget("TxtNSj")->findChild<QLineEdit*>();
        EXPECT_SOON(Focus() == v.Widget("TxtNSj") && !price->text().isEmpty() && price->selectedText() == price->text());
        QTest::keyClicks(Focus(), "7");  // typed over, not into
        for (const char* next : {"Cmd_Save", "TxtHH"}) {
            Press(Qt::Key_Return);
            EXPECT_SOON(Focus() == v.Widget(next));
        }
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
