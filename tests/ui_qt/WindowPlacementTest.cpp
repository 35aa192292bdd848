// Windows within the screen (offscreen: 800x800) and again where the operator left them.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>

#include "UiTestSupport.h"
#include "ui/qt/QtToolkit.h"
#include "ui/qt/WindowPlacement.h"

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

class Placement : public ::testing::Test {
protected:
    Placement() { QFile::remove(WindowPlacement::SettingsFile()); }
    ~Placement() override { QFile::remove(WindowPlacement::SettingsFile()); }
};

}  // namespace

// A window kept in windows.ini (`kept`) opens with its frame at `shown`; an empty `shown`:
// anywhere on the screen, at most its own size.
TEST_F(Placement, KeptWindows) {
    const QString asLeft = QStringLiteral("x=40\ny=30\nwidth=500\nheight=300\n");
    const struct {
        QString kept;
        QSize size;
        QRect shown;
    } cases[] = {{QString(), QSize(900, 1000), QRect()},  // first opening, larger than the screen
                 {asLeft, QSize(900, 1000), QRect(38, 28, 504, 304)},
                 {QStringLiteral("x=1500\ny=1200\nwidth=1600\nheight=1000\n"), QSize(400, 300), Available()},
                 {QStringLiteral("x=-50\ny=-80\nwidth=300\nheight=200\n"), QSize(400, 300), QRect(0, 0, 304, 204)},
                 {QStringLiteral("x=a\ny=b\nwidth=500\nheight=300\n"), QSize(300, 200), QRect()},
                 {asLeft + "; " + QString(300 << 10, 'x') + "\n", QSize(300, 200), QRect()}};  // a file too large
    // Each case under a window name of its own: nothing one case left can reach the next.
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kept.left(40).toStdString());
        const QString name = QStringLiteral("Kept%1").arg(n++);
        QFile::remove(WindowPlacement::SettingsFile());
        if (!c.kept.isEmpty()) {
            QFile file(WindowPlacement::SettingsFile());
            QDir().mkpath(QFileInfo(file).absolutePath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("[" + name.toUtf8() + "]\n" + c.kept.toUtf8());
        }
        const auto [geometry, framed] = ShownGeometry(name, c.size);
        EXPECT_TRUE(Available().contains(framed));
        const QSize frame = framed.size() - geometry.size();
        if (c.shown.isEmpty())
            EXPECT_EQ(geometry.size(), c.size.boundedTo(Available().size() - frame));
        else
            EXPECT_EQ(framed, c.shown);
    }
}

// A window's place, and a choice kept through the toolkit, outlive the toolkit that kept them.
TEST_F(Placement, AWindowOpensAgainWhereItWasLeft) {
    ui::qt::QtToolkit().SetPreference("FrmBulkChange/ending", "0.99");
    EXPECT_EQ(ui::qt::QtToolkit().Preference("FrmBulkChange/ending"), std::string("0.99"));
    {
        QDialog dialog;
        WindowPlacement::Keep(dialog, QStringLiteral("Probe"));
        dialog.show();
        dialog.setGeometry(60, 70, 420, 260);
        QApplication::processEvents();
        dialog.hide();
    }
    EXPECT_EQ(ShownGeometry(QStringLiteral("Probe"), QSize(700, 500)).first, QRect(60, 70, 420, 260));
    EXPECT_EQ(ShownGeometry(QStringLiteral("Other"), QSize(700, 500)).first.size(), QSize(700, 500));
}
