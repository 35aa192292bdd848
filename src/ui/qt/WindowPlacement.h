// Where the module's windows open: each fits the available area of its screen (the screen less
// panels and docks) and opens again with the size and position the operator left it in. The sizes
// are kept in the module's settings folder, beside the report settings, in windows.ini; a size
// kept there that no longer fits the screen (a smaller monitor, another resolution) is brought
// back into it. The same file remembers the folders of file dialogs.
#pragma once
#include <QMargins>
#include <QRect>
#include <QString>

class QWidget;

namespace ui::qt {

class WindowPlacement {
public:
    // Watches a top-level window: when it is shown it takes the geometry kept under `key`, or
    // keeps its own size, either way within the available area of its screen; when it is hidden
    // its geometry is kept under `key`. The watcher is a child of the window.
    static void Keep(QWidget& window, const QString& key);

    // The rectangle moved and, where it must be, shrunk so that it lies in `area` together with
    // the window frame around it.
    static QRect Fit(const QRect& wanted, const QRect& area, const QMargins& frame = {});
    // The window fitted into the available area of its screen now (Keep does this when it shows).
    static void FitOnScreen(QWidget& window);

    // The geometry kept under the key; empty when none (or the file is not a settings file).
    static QRect Saved(const QString& key);
    static void Save(const QString& key, const QRect& geometry);
    // A folder kept under the key; empty when none.
    static QString Folder(const QString& key);
    static void SaveFolder(const QString& key, const QString& folder);
    // A dialog's remembered choice (at most 200 characters); empty when none.
    static QString Choice(const QString& key);
    static void SaveChoice(const QString& key, const QString& value);

    // <the user's configuration folder>/subpricebill/windows.ini
    static QString SettingsFile();
};

}  // namespace ui::qt
