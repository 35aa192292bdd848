#include "ui/qt/WindowPlacement.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>

namespace ui::qt {
namespace {

// A few numbers per window: anything larger is not a file this module wrote.
constexpr qint64 kMaxFileBytes = 256 << 10;
constexpr int kMaxCoordinate = 100000;
constexpr int kMaxFolder = 4096;
constexpr int kMaxChoice = 200;

bool Readable(const QString& file) {
    const QFileInfo info(file);
    return info.exists() && info.isFile() && info.size() <= kMaxFileBytes;
}

// A window key as a settings group: letters, digits and '_' only.
QString GroupOf(const QString& key) {
    QString g;
    for (QChar c : key) g += c.isLetterOrNumber() || c == QLatin1Char('_') ? c : QLatin1Char('_');
    return g.isEmpty() ? QStringLiteral("_") : g;
}

QScreen* ScreenFor(const QWidget& window, const QRect& wanted) {
    if (!wanted.isEmpty())
        if (QScreen* s = QGuiApplication::screenAt(wanted.center())) return s;
    if (QScreen* s = window.screen()) return s;
    return QGuiApplication::primaryScreen();
}

// The frame the window manager puts round a window: the window's own once it has been shown,
// else that of the window it opens over (a title bar is the same for both).
QMargins FrameOf(const QWidget& window) {
    auto frame = [](const QWidget& w) {
        const QRect f = w.frameGeometry(), g = w.geometry();
        return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
    };
    QMargins own = frame(window);
    if (!own.isNull()) return own;
    const QWidget* over = window.parentWidget() ? window.parentWidget()->window() : QApplication::activeWindow();
    if (over && over != &window && over->isVisible()) return frame(*over);
    return {};
}

class Watcher : public QObject {
public:
    Watcher(QWidget& window, QString key) : QObject(&window), window_(window), key_(std::move(key)) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_) return false;
        if (event->type() == QEvent::Show && !placed_) {
            placed_ = true;
            const QRect saved = WindowPlacement::Saved(key_);
            if (!saved.isEmpty()) {
                QScreen* screen = ScreenFor(window_, saved);
                window_.setGeometry(screen ? WindowPlacement::Fit(saved, screen->availableGeometry(), FrameOf(window_)) : saved);
            } else {
                WindowPlacement::FitOnScreen(window_);
            }
        } else if (event->type() == QEvent::Hide && placed_) {
            placed_ = false;
            const bool special = window_.isMaximized() || window_.isFullScreen();
            WindowPlacement::Save(key_, special ? window_.normalGeometry() : window_.geometry());
        }
        return false;
    }

private:
    QWidget& window_;
    QString key_;
    bool placed_ = false;
};

}  // namespace

void WindowPlacement::Keep(QWidget& window, const QString& key) { new Watcher(window, key); }

QRect WindowPlacement::Fit(const QRect& wanted, const QRect& area, const QMargins& frame) {
    const QRect room = area.marginsRemoved(frame);
    if (room.isEmpty()) return wanted;
    const QSize size = wanted.size().boundedTo(room.size()).expandedTo(QSize(1, 1));
    const int x = std::clamp(wanted.x(), room.left(), room.right() + 1 - size.width());
    const int y = std::clamp(wanted.y(), room.top(), room.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}

void WindowPlacement::FitOnScreen(QWidget& window) {
    QScreen* screen = ScreenFor(window, window.isVisible() ? window.geometry() : QRect());
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QRect wanted = window.geometry();
    // A window not yet placed is centred over the area; one that is keeps its place if it can.
    if (!window.isVisible() && !window.testAttribute(Qt::WA_Moved)) wanted.moveCenter(area.center());
    const QRect fitted = Fit(wanted, area, FrameOf(window));
    if (fitted != window.geometry()) window.setGeometry(fitted);
}

QString WindowPlacement::SettingsFile() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/subpricebill/windows.ini");
}

QRect WindowPlacement::Saved(const QString& key) {
    const QString file = SettingsFile();
    if (!Readable(file)) return {};
    QSettings ini(file, QSettings::IniFormat);
    ini.beginGroup(GroupOf(key));
    int v[4] = {};
    const char* names[4] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const qlonglong n = ini.value(QLatin1String(names[i])).toLongLong(&ok);
        if (!ok || n < -kMaxCoordinate || n > kMaxCoordinate) return {};
        v[i] = static_cast<int>(n);
    }
    if (v[2] <= 0 || v[3] <= 0) return {};
    return QRect(v[0], v[1], v[2], v[3]);
}

void WindowPlacement::Save(const QString& key, const QRect& g) {
    const QString file = SettingsFile();
    if (QFileInfo::exists(file) && !Readable(file)) return;  // not ours to rewrite
    QDir().mkpath(QFileInfo(file).absolutePath());
    // QSettings writes the whole file into a temporary file beside it and renames it into place.
    QSettings ini(file, QSettings::IniFormat);
    ini.beginGroup(GroupOf(key));
    ini.setValue(QStringLiteral("x"), g.x());
    ini.setValue(QStringLiteral("y"), g.y());
    ini.setValue(QStringLiteral("width"), g.width());
    ini.setValue(QStringLiteral("height"), g.height());
    ini.endGroup();
    ini.sync();
}

namespace {

QString ReadText(const QString& key, const QString& name, int maxLength) {
    const QString file = WindowPlacement::SettingsFile();
    if (!Readable(file)) return {};
    QSettings ini(file, QSettings::IniFormat);
    const QString text = ini.value(GroupOf(key) + QLatin1Char('/') + name).toString();
    return text.size() <= maxLength ? text : QString();
}

void WriteText(const QString& key, const QString& name, const QString& text) {
    const QString file = WindowPlacement::SettingsFile();
    if (QFileInfo::exists(file) && !Readable(file)) return;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings ini(file, QSettings::IniFormat);
    ini.setValue(GroupOf(key) + QLatin1Char('/') + name, text);
    ini.sync();
}

}  // namespace

QString WindowPlacement::Folder(const QString& key) { return ReadText(key, QStringLiteral("folder"), kMaxFolder); }

void WindowPlacement::SaveFolder(const QString& key, const QString& folder) {
    WriteText(key, QStringLiteral("folder"), folder);
}

QString WindowPlacement::Choice(const QString& key) { return ReadText(key, QStringLiteral("choice"), kMaxChoice); }

void WindowPlacement::SaveChoice(const QString& key, const QString& value) {
    WriteText(key, QStringLiteral("choice"), value.left(kMaxChoice));
}

}  // namespace ui::qt
