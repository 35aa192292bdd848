// Windows on the screen: a window opens within the available area of its screen (the offscreen
// screen is 800x800, smaller than several of the module's windows), opens again where the
// operator left it, and a kept geometry that no longer fits is brought back into the screen.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>

#include "UiTestSupport.h"
#include "browser/FrmBrowser.h"
#include "support/TestDatabase.h"
#include "ui/qt/QtToolkit.h"
#include "ui/qt/WindowPlacement.h"
#include "views/FrmBrowserView.h"
#include "views/StandardViews.h"

using ui::qt::WindowPlacement;

namespace {

QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// The geometry a dialog kept under `key` takes when it is shown, and with its frame (the
// offscreen platform draws one of 2 pixels).
std::pair<QRect, QRect> ShownGeometry(const QString& key, QSize size) {
    QDialog dialog;
    dialog.resize(size);
    WindowPlacement::Keep(dialog, key);
    dialog.show();
    QApplication::processEvents();
    const std::pair<QRect, QRect> shown(dialog.geometry(), dialog.frameGeometry());
    dialog.hide();
    return shown;
}

}  // namespace

class WindowPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QFile::remove(WindowPlacement::SettingsFile()); }
    void cleanupTestCase() { QFile::remove(WindowPlacement::SettingsFile()); }

    void fit_data() {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QRect>("fitted");
        const QMargins none, titleBar(2, 28, 2, 2);
        QTest::newRow("inside stays") << QRect(10, 20, 300, 200) << none << QRect(10, 20, 300, 200);
        QTest::newRow("too tall shrinks") << QRect(0, 0, 900, 1000) << none << QRect(0, 0, 800, 600);
        QTest::newRow("off to the right comes back") << QRect(700, 500, 300, 200) << none << QRect(500, 400, 300, 200);
        QTest::newRow("above the top comes down") << QRect(-50, -80, 300, 200) << none << QRect(0, 0, 300, 200);
        QTest::newRow("the frame counts") << QRect(0, 0, 900, 1000) << titleBar << QRect(2, 28, 796, 570);
    }
    void fit() {
        QFETCH(QRect, wanted);
        QFETCH(QMargins, frame);
        QFETCH(QRect, fitted);
        QCOMPARE(WindowPlacement::Fit(wanted, QRect(0, 0, 800, 600), frame), fitted);
    }

    void keptWindows_data() {
        QTest::addColumn<QString>("kept");  // what windows.ini holds before the window opens
        QTest::addColumn<QSize>("size");    // the window's own size
        QTest::addColumn<QRect>("shown");   // with its frame; empty: anywhere on the screen, at most `size`
        QTest::newRow("first opening, larger than the screen") << QString() << QSize(900, 1000) << QRect();
        QTest::newRow("as it was left") << QStringLiteral("x=40\ny=30\nwidth=500\nheight=300\n") << QSize(900, 1000)
                                        << QRect(38, 28, 504, 304);
        QTest::newRow("left on a larger screen") << QStringLiteral("x=1500\ny=1200\nwidth=1600\nheight=1000\n")
                                                 << QSize(400, 300) << Available();
        QTest::newRow("not numbers") << QStringLiteral("x=a\ny=b\nwidth=500\nheight=300\n") << QSize(300, 200) << QRect();
        QTest::newRow("a file too large") << QStringLiteral("x=40\ny=30\nwidth=500\nheight=300\n; ") + QString(300 << 10, 'x') + "\n"
                                          << QSize(300, 200) << QRect();
    }
    void keptWindows() {
        QFETCH(QString, kept);
        QFETCH(QSize, size);
        QFETCH(QRect, shown);
        if (!kept.isEmpty()) {
            QFile file(WindowPlacement::SettingsFile());
            QDir().mkpath(QFileInfo(file).absolutePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Probe]\n" + kept.toUtf8());
        }
        const auto [geometry, framed] = ShownGeometry(QStringLiteral("Probe"), size);
        QVERIFY(Available().contains(framed));
        const QSize frame = framed.size() - geometry.size();
        if (shown.isEmpty()) QCOMPARE(geometry.size(), size.boundedTo(Available().size() - frame));
        else QCOMPARE(framed, shown);
    }

    void aWindowOpensAgainWhereItWasLeft() {
        {
            QDialog dialog;
            WindowPlacement::Keep(dialog, QStringLiteral("Probe"));
            dialog.show();
            dialog.setGeometry(60, 70, 420, 260);
            QApplication::processEvents();
            dialog.hide();
        }
        QCOMPARE(ShownGeometry(QStringLiteral("Probe"), QSize(700, 500)).first, QRect(60, 70, 420, 260));
        QCOMPARE(ShownGeometry(QStringLiteral("Other"), QSize(700, 500)).first.size(), QSize(700, 500));
    }

    void aChoiceIsKeptThroughTheToolkit() {
        ui::qt::QtToolkit tk;
        tk.SetPreference("FrmShelfLabels", "A4 3x8");
        tk.SetPreference("FrmBulkChange/ending", "0.99");
        QCOMPARE(ui::qt::QtToolkit().Preference("FrmShelfLabels"), std::string("A4 3x8"));
        QCOMPARE(tk.Preference("FrmBulkChange/ending"), std::string("0.99"));
        QCOMPARE(tk.Preference("Other"), std::string());
        tk.SetPreference("Long", std::string(300, 'x'));  // cut to what is read back
        QCOMPARE(tk.Preference("Long"), std::string(200, 'x'));
    }

    void theBrowserFitsASmallScreenAndKeepsItsSize() {
        views::RegisterStandardViews();
        testing_support::TestDatabase t;
        t.OpenHostConnection("0001", "系统管理员");
        uitest::ScopedQtToolkit tk;
        for (int run = 0; run < 2; ++run) {
            browser::FrmBrowser w;
            uitest::WhenShown<views::FrmBrowserView>([&](views::FrmBrowserView& v) {
                QVERIFY(Available().contains(v.frameGeometry()));
                if (run == 0) {
                    QCOMPARE(v.frameGeometry().width(), Available().width());  // it asks for 900 pixels
                    v.setGeometry(30, 20, 640, 480);
                } else {
                    QCOMPARE(v.geometry(), QRect(30, 20, 640, 480));
                    QCOMPARE(w.Width(), 640 * 15);  // and the logic hears the size
                }
                uitest::Press(Qt::Key_Escape);
            });
            w.ShowModal();
        }
    }
};

static const bool registered = uitest::AddSuite([](int argc, char** argv) {
    WindowPlacementTest t;
    return QTest::qExec(&t, argc, argv);
});

#include "WindowPlacementTest.moc"
