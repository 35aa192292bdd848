#include "ui/qt/GridView.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "ui/Keys.h"
#include "ui/qt/KeyMap.h"

namespace ui::qt {
namespace {

int HostButton(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton: return ui::MouseButton::Left;
        case Qt::RightButton: return ui::MouseButton::Right;
        case Qt::MiddleButton: return 4;
        default: return 0;
    }
}

}  // namespace

GridView::GridView(QWidget* parent) : QTableView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setAlternatingRowColors(false);
    verticalHeader()->hide();
    // Fixed row heights: the view never measures rows, whatever their number.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setResizeContentsPrecision(200);
    // The columns fill the grid: the last one takes what the others leave.
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->viewport()->installEventFilter(this);
}

void GridView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const int button = HostButton(event->button());
    const int shift = KeyMap::HostShift(event->modifiers());
    QTableView::mousePressEvent(event);
    QModelIndex index = indexAt(pos);
    emit cellPressed(index.isValid() ? index.row() + 1 : -1, columnAt(pos.x()), button, shift);
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    QModelIndex index = indexAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (index.isValid() && event->button() == Qt::LeftButton) emit rowDoubleClicked(index.row() + 1);
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* e = static_cast<QMouseEvent*>(event);
        emit cellPressed(0, horizontalHeader()->logicalIndexAt(e->position().toPoint()), HostButton(e->button()),
                         KeyMap::HostShift(e->modifiers()));
        // The heading has no use of its own for the right button; what the press started (a
        // sort, a message box) must not leave the heading in the middle of a press.
        if (e->button() == Qt::RightButton) return true;
    }
    return QTableView::eventFilter(watched, event);
}

}  // namespace ui::qt
