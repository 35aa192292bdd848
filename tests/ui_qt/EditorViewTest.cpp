// The bill editor on the screen: fields named by their labels, display-only fields, the keyboard
// path of a line through the real widgets (item code, Enter, new price, Enter, Enter on Save),
// Enter in fields that have no use for it, typing a date, the keyboard back in the editor after the
// lookup's window, and the toolbar's icons.
#include <QAccessible>
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
#include "data/HostContext.h"
#include "data/SystemSettings.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "support/ScriptedLookup.h"
#include "support/TestDatabase.h"
#include "ui/qt/CommandIcons.h"
#include "ui/qt/ToolbarBinding.h"
#include "views/FrmAdjuctPriceView.h"
#include "views/StandardViews.h"

using views::FrmAdjuctPriceView;

class EditorViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<testing_support::TestDatabase> t;
    std::unique_ptr<uitest::ScopedQtToolkit> tk;

    void OpenNew(std::function<void(FrmAdjuctPriceView&, bill::FrmAdjuctPrice&)> act) {
        auto& shared = bill::Shared();
        shared.CurrentLsh.clear();
        shared.IsNewBill = true;
        shared.EditorInstance = std::make_shared<bill::FrmAdjuctPrice>();
        auto editor = shared.EditorInstance;
        uitest::WhenShown<FrmAdjuctPriceView>([&](FrmAdjuctPriceView& v) {
            act(v, *editor);
            v.Unload();
        });
        editor->ShowModal();
    }

    static bool WholeTextSelected(QDoubleSpinBox* spin) {
        auto* edit = spin->findChild<QLineEdit*>();
        return edit && !edit->text().isEmpty() && edit->selectedText() == edit->text();
    }

private slots:
    void initTestCase() { views::RegisterStandardViews(); }
    void init() {
        t = std::make_unique<testing_support::TestDatabase>();
        t->OpenHostConnection("0001", "系统管理员");
        t->Grant("0001", "修改");
        t->Exec("insert into gl_custom (tjbh,mc,zjm) values ('001','一分店','yfd')");
        t->Exec("insert into yw_kck (hh,pm,gg,cd,pdw,pm_zjm,FDeleted) values ('A1','苹果','500g','烟台','袋','pg',0)");
        t->Exec("insert into glprice (HH,DWBH,SJ,ZK,SELLPRICE) values ('A1','001',0,0,5.5)");
        data::Host().BranchMode = data::ByBranch;
        data::Host().SysDate = {2026, 12, 6};
        data::Settings().jjbl = 2;
        data::ComponentFactory::Register(data::ComponentName::Lookup, [] { return std::make_unique<testing_support::ScriptedLookup>(); });
        tk = std::make_unique<uitest::ScopedQtToolkit>();
    }
    void cleanup() {
        tk.reset();
        t.reset();
        data::ComponentFactory::Unregister(data::ComponentName::Lookup);
    }

    void fieldsAreNamedByTheirLabelsAndDisplayFieldsAreReadOnly() {
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice&) {
            QCOMPARE(v.windowTitle(), QStringLiteral("分支机构商品调价单"));
            const std::vector<std::pair<const char*, const char*>> names{
                {"TxtLSH", "流水号"},   {"DtpKdrq", "开单日期"}, {"DtpExecDate", "执行日期"}, {"TxtDwbh", "分支机构"},
                {"txtDwmc", "分支机构名称"}, {"TxtBZ", "备注"}, {"TxtCzryName", "操作人员"}, {"TxtSh", "审核人员"},
                {"TxtHH", "货号"},       {"TxtPM", "品名"},     {"TxtOSj", "原售价"},      {"TxtNSj", "新售价"},
                {"Cmd_Save", "保 存"},   {"Cmd_SaveReckoning", "记帐[F8]"}};
            for (auto [control, name] : names) {
                QWidget* w = v.Widget(control);
                QVERIFY2(w, control);
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                QVERIFY(a);
                QCOMPARE(a->text(QAccessible::Name), QString::fromUtf8(name));
            }
            auto* lsh = qobject_cast<QLineEdit*>(v.Widget("TxtLSH"));
            QVERIFY(lsh->isReadOnly());
            QCOMPARE(lsh->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xC0));
            QVERIFY(!qobject_cast<QLineEdit*>(v.Widget("TxtBZ"))->isReadOnly());
            QCOMPARE(lsh->text(), QStringLiteral("1"));
            QCOMPARE(QApplication::focusWidget(), v.Widget("DtpExecDate"));
        });
    }

    void aLineIsEnteredAndSavedFromTheKeyboard() {
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice& w) {
            uitest::Press(Qt::Key_Tab);  // from the execution date to the branch
            QCOMPARE(QApplication::focusWidget(), v.Widget("TxtDwbh"));
            QTest::keyClicks(QApplication::focusWidget(), "yfd");
            uitest::Press(Qt::Key_Return);
            QCOMPARE(w.TxtDwbh.Text(), std::string("001"));
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("TxtBZ"));
            uitest::Press(Qt::Key_Return);
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("TxtHH"));
            QTest::keyClicks(QApplication::focusWidget(), "A1");
            uitest::Press(Qt::Key_Return);
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("TxtNSj"));
            QCOMPARE(w.TxtOSj.Value(), 5.5);
            auto* price = qobject_cast<QDoubleSpinBox*>(v.Widget("TxtNSj"));
            QTRY_VERIFY(WholeTextSelected(price));  // typed over, not into
            QTest::keyClicks(price, "6.8");
            uitest::Press(Qt::Key_Return);
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("Cmd_Save"));
            uitest::Press(Qt::Key_Return);
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("TxtHH"));
            QCOMPARE(w.VfgContent.Rows(), 2);
        });
        QCOMPARE(t->Scalar("select dh||' '||hh||' '||sj1||' '||sj2 from SubAdjuctPricemx"), std::string("100 A1 5.5 6.8"));
        QCOMPARE(t->Scalar("select dwbh from SubAdjuctPrice"), std::string("001"));
    }

    void enterPressesNoButtonFromAFieldWithoutAUseForIt_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("lineTyped");  // with a line in the strip a stray save would succeed
        for (const char* field : {"DtpKdrq", "DtpExecDate", "TxtOSj", "VfgContent", "TxtLSH"}) {
            QTest::addRow("%s, new bill", field) << QString::fromLatin1(field) << false;
            QTest::addRow("%s, line typed", field) << QString::fromLatin1(field) << true;
        }
    }
    void enterPressesNoButtonFromAFieldWithoutAUseForIt() {
        QFETCH(QString, field);
        QFETCH(bool, lineTyped);
        QStringList messages;
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice& w) {
            if (lineTyped) {
                w.TxtDwbh.SetText("001");
                w.TxtHH.SetText("A1");
                w.TxtNSj.SetValue(6.8);
            }
            QWidget* target = v.Widget(field.toStdString());
            target->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), target);
            uitest::MessageWatch watch;
            uitest::Press(Qt::Key_Return);
            QTest::qWait(50);
            messages = watch.Texts();
            QCOMPARE(QApplication::focusWidget(), target);
            for (auto* b : v.findChildren<QPushButton*>()) QVERIFY2(!b->autoDefault() && !b->isDefault(), qPrintable(b->text()));
        });
        QCOMPARE(messages, QStringList());
        QCOMPARE(t->Scalar("select count(*) from SubAdjuctPrice"), std::string("0"));
    }

    void aDateIsTypedInFullOrBySection_data() {
        QTest::addColumn<QString>("clickAfter");  // empty: the field is entered by Tab
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QDate>("taken");
        const QDate shown(2026, 12, 6);
        QTest::newRow("with dashes") << QString() << QStringLiteral("2026-12-31") << QDate(2026, 12, 31);
        QTest::newRow("digits only") << QString() << QStringLiteral("20261231") << QDate(2026, 12, 31);
        QTest::newRow("with slashes") << QString() << QStringLiteral("2026/12/31") << QDate(2026, 12, 31);
        QTest::newRow("short parts, then Tab") << QString() << QStringLiteral("2026-2-3\t") << QDate(2026, 2, 3);
        QTest::newRow("short parts, then Enter") << QString() << QStringLiteral("2027.1.5\r") << QDate(2027, 1, 5);
        QTest::newRow("no such day") << QString() << QStringLiteral("2026-02-31") << shown;
        QTest::newRow("no such day, then Tab") << QString() << QStringLiteral("2026-2-30\t") << shown;
        QTest::newRow("no such month") << QString() << QStringLiteral("2026-13-01") << shown;
        QTest::newRow("year over the year") << QString() << QStringLiteral("2027") << QDate(2027, 12, 6);
        QTest::newRow("year clicked, typed over") << QStringLiteral("20") << QStringLiteral("2027") << QDate(2027, 12, 6);
        QTest::newRow("day clicked, typed over") << QStringLiteral("2026-12-0") << QStringLiteral("9\t") << QDate(2026, 12, 9);
        QTest::newRow("year clicked, date typed in full") << QStringLiteral("2") << QStringLiteral("2025-11-30") << QDate(2025, 11, 30);
    }
    void aDateIsTypedInFullOrBySection() {
        QFETCH(QString, clickAfter);
        QFETCH(QString, keys);
        QFETCH(QDate, taken);
        uitest::MessageWatch watch;  // Enter in the date shows nothing
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice& w) {
            auto* date = qobject_cast<QDateEdit*>(v.Widget("DtpExecDate"));
            auto* text = date->findChild<QLineEdit*>();
            QVERIFY(date && text);
            if (clickAfter.isEmpty()) {
                v.Widget("DtpKdrq")->setFocus();
                uitest::Press(Qt::Key_Tab);
            } else {
                v.Widget("TxtBZ")->setFocus();
                const QPoint at(text->fontMetrics().horizontalAdvance(clickAfter) + 3, text->height() / 2);
                QTest::mouseClick(text, Qt::LeftButton, Qt::NoModifier, at);
            }
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(date));
            QVERIFY(text->hasSelectedText());  // the section entered is typed over
            for (QChar c : keys) {
                if (c == u'\t') uitest::Press(Qt::Key_Tab);
                else if (c == u'\r') uitest::Press(Qt::Key_Return);
                else QTest::keyClicks(QApplication::focusWidget(), QString(c));
            }
            const bool left = keys.endsWith(u'\t');
            QCOMPARE(QApplication::focusWidget(), left ? v.Widget("TxtDwbh") : static_cast<QWidget*>(date));
            QCOMPARE(w.TxtDwbh.Text(), std::string());  // no key went on to the branch
            const db::DateTime& value = w.DtpExecDate.Value();
            QCOMPARE(QDate(value.year, value.month, value.day), taken);
            QCOMPARE(date->date(), taken);
            QCOMPARE(w.DtpKdrq.Value().day, 6);
        });
        QCOMPARE(watch.Texts(), QStringList());
    }

    void typingTheShownPriceEntersItAndPassingThroughKeepsIt() {
        data::Settings().jjbl = 1;
        t->Exec("update glprice set SELLPRICE=5.46");
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice& w) {
            w.TxtDwbh.SetText("001");
            w.SetFocus(w.TxtHH);
            QTest::keyClicks(QApplication::focusWidget(), "A1");
            uitest::Press(Qt::Key_Return);
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("TxtNSj"));
            auto* price = qobject_cast<QDoubleSpinBox*>(v.Widget("TxtNSj"));
            QCOMPARE(price->text(), QStringLiteral("5.5"));  // shown rounded
            uitest::Press(Qt::Key_Return);                   // passed through
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("Cmd_Save"));
            QCOMPARE(w.TxtNSj.Value(), 5.46);
            w.SetFocus(w.TxtNSj);
            price->selectAll();
            QTest::keyClicks(price, "5.5");                  // the shown value, typed
            uitest::Press(Qt::Key_Return);
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("Cmd_Save"));
            QCOMPARE(w.TxtNSj.Value(), 5.5);
        });
    }

    void enterStillEntersAfterAMessageFromTheToolbar() {
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice& w) {
            // Auditing the bill before it was saved: refused without a question.
            t->Grant("0001", "审核");
            bool refused = false;
            uitest::WhenShown<QMessageBox>([&refused](QMessageBox& box) {
                QCOMPARE(box.text(), QStringLiteral("此单据尚未保存，不能审核!"));
                refused = true;
                box.button(QMessageBox::Ok)->click();
            });
            QAction* audit = v.ToolbarBound().ActionOf("审核");
            QTimer::singleShot(0, audit, [audit] { audit->trigger(); });
            QTRY_VERIFY(refused);
            QTRY_COMPARE(QApplication::activeModalWidget(), static_cast<QWidget*>(&v));
            // The keyboard is the editor's again: Enter on the branch code looks it up.
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&v));
            uitest::Press(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), v.Widget("TxtDwbh"));
            QTest::keyClicks(QApplication::focusWidget(), "yfd");
            uitest::Press(Qt::Key_Return);
            QCOMPARE(w.TxtDwbh.Text(), std::string("001"));
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("TxtBZ"));
        });
        QCOMPARE(t->Scalar("select count(*) from SubAdjuctPrice"), std::string("0"));
    }

    void keysReachTheEditorAgainAfterTheLookupsWindowCloses() {
        // The host's item lookup shows a modal window of its own over the editor.
        data::ComponentFactory::Register(data::ComponentName::Lookup, [] {
            return std::make_unique<testing_support::ScriptedLookup>([](const std::string&, const db::Recordset& rows) {
                QDialog picker(QApplication::activeWindow());
                picker.setObjectName(QStringLiteral("picker"));
                uitest::WhenModal([](QWidget* w) { return w->objectName() == QStringLiteral("picker"); },
                                  [](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
                picker.exec();
                return rows.RecordCount() > 0 ? 0L : -1L;
            });
        });
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice& w) {
            w.TxtDwbh.SetText("001");
            w.SetFocus(w.TxtHH);
            QTest::keyClicks(QApplication::focusWidget(), "*");
            uitest::Press(Qt::Key_Return);
            QCOMPARE(w.TxtHH.Text(), std::string("A1"));
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("TxtNSj"));
            auto* price = qobject_cast<QDoubleSpinBox*>(v.Widget("TxtNSj"));
            QTRY_VERIFY(WholeTextSelected(price));  // also after the lookup's own window
            QTest::keyClicks(price, "7");
            uitest::Press(Qt::Key_Return);
            QTRY_COMPARE(QApplication::focusWidget(), v.Widget("Cmd_Save"));
            uitest::Press(Qt::Key_Return);
            QTRY_COMPARE(w.VfgContent.Rows(), 2);
        });
        QCOMPARE(t->Scalar("select hh||' '||sj2 from SubAdjuctPricemx"), std::string("A1 7"));
    }

    void theCloseBoxAsksFirstWhenEntriesAreUnsaved() {
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice& w) {
            w.TxtBZ.TypedText("年末");
            {
                uitest::MessageWatch watch;  // answers 否
                v.close();
                QTRY_COMPARE(watch.Texts(), QStringList{QStringLiteral("有未保存的修改，确实要退出吗?")});
            }
            QVERIFY(v.isVisible());
            QVERIFY(w.IsShown());
        });
        QCOMPARE(t->Scalar("select count(*) from SubAdjuctPrice"), std::string("0"));
    }

    void statusNotesShowInTheirOwnColours() {
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice& w) {
            auto* panel = v.StatusBar()->findChild<QLabel*>(QStringLiteral("panel1"));
            QVERIFY(panel);
            const QColor normal = panel->palette().color(QPalette::WindowText);
            w.StatusBar1.SetPanel(1, "注意", ui::StatusBar::Tone::Warning);
            const QColor warning = panel->palette().color(QPalette::WindowText);
            QVERIFY(warning != normal);
            QVERIFY(panel->font().bold());
            w.StatusBar1.SetPanel(1, bill::kAuditedStatusText, ui::StatusBar::Tone::Notice);
            const QColor notice = panel->palette().color(QPalette::WindowText);
            QVERIFY(notice != normal && notice != warning);
            QCOMPARE(panel->text(), QString::fromUtf8(bill::kAuditedStatusText));
            w.StatusBar1.SetPanel(1, bill::kStatusText);
            QCOMPARE(panel->palette().color(QPalette::WindowText), normal);
            QVERIFY(!panel->font().bold());
        });
    }

    void everyCommandHasOneIconOfOneSize() {
        OpenNew([&](FrmAdjuctPriceView& v, bill::FrmAdjuctPrice&) {
            QCOMPARE(v.ToolBar()->iconSize(), ui::qt::ToolIconSize());
            QAction* print = v.ToolbarBound().ActionOf("打印");
            QAction* reprint = v.ToolbarBound().ActionOf("重打");
            QAction* post = v.ToolbarBound().ActionOf("记帐");
            QVERIFY(print && reprint && post);
            QVERIFY(!print->icon().isNull());
            QVERIFY(print->icon().cacheKey() != reprint->icon().cacheKey());
            QCOMPARE(QString::fromUtf8(ui::qt::CommandIconName("记账")), QString::fromUtf8(ui::qt::CommandIconName("记帐")));
        });
    }
};

static const bool registered = uitest::AddSuite([](int argc, char** argv) {
    EditorViewTest t;
    return QTest::qExec(&t, argc, argv);
});

#include "EditorViewTest.moc"
