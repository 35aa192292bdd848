#include "host/LookupDialog.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "host/LookupTableModel.h"
#include "ui/qt/WindowPlacement.h"

namespace host {

LookupDialog::LookupDialog(std::shared_ptr<const db::RowSet> rows, QWidget* parent, int priceDecimals) : QDialog(parent) {
    setWindowTitle(QStringLiteral("选择"));
    setModal(true);
    resize(720, 460);
    ui::qt::WindowPlacement::Keep(*this, QStringLiteral("LookupDialog"));

    model_ = new LookupTableModel(std::move(rows), this, priceDecimals);
    filter_ = new QLineEdit(this);
    filter_->setPlaceholderText(QStringLiteral("输入任意列包含的文字"));
    filter_->setClearButtonEnabled(true);
    grid_ = new QTableView(this);
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setAlternatingRowColors(true);
    grid_->setWordWrap(false);
    // Fixed row heights and no content-based sizing keep a grid of many rows quick.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->horizontalHeader()->setStretchLastSection(true);
    status_ = new QLabel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filter_);
    layout->addWidget(grid_, 1);
    layout->addWidget(status_);

    connect(filter_, &QLineEdit::textChanged, this, &LookupDialog::ApplyFilter);
    connect(grid_, &QAbstractItemView::doubleClicked, this, &LookupDialog::Pick);
    filter_->installEventFilter(this);
    grid_->installEventFilter(this);

    FitColumns();
    if (model_->rowCount() > 0) grid_->setCurrentIndex(model_->index(0, 0));
    ShowCount();
    filter_->setFocus();
}

void LookupDialog::FitColumns() {
    // Widths from the heading and the first rows, within limits, once: the filter keeps them.
    QHeaderView* heading = grid_->horizontalHeader();
    heading->setResizeContentsPrecision(200);
    int total = 0;
    for (int c = 0; c < model_->columnCount(); ++c) {
        grid_->resizeColumnToContents(c);
        const int width = std::clamp(grid_->columnWidth(c), kMinColumnWidth, kMaxColumnWidth);
        grid_->setColumnWidth(c, width);
        total += width;
    }
    // Wide enough for every column (the price included) without scrolling, as far as the screen
    // allows.
    const int frame = 2 * grid_->frameWidth() + grid_->verticalHeader()->sizeHint().width() +
                      grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + layout()->contentsMargins().left() +
                      layout()->contentsMargins().right() + 4;
    int room = 1200;
    if (const QScreen* s = screen()) room = std::min(room, s->availableGeometry().width() - 40);
    resize(std::clamp(total + frame, width(), std::max(width(), room)), height());
}

bool LookupDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Pick(grid_->currentIndex());
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (watched == filter_) {
                QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
                QApplication::sendEvent(grid_, &copy);
                return true;
            }
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

void LookupDialog::ApplyFilter(const QString& text) {
    model_->SetFilter(text);
    if (model_->rowCount() > 0) grid_->setCurrentIndex(model_->index(0, 0));
    ShowCount();
}

void LookupDialog::Pick(const QModelIndex& index) {
    if (!index.isValid()) return;  // nothing shown: Enter does nothing, Esc still cancels
    picked_ = model_->SourceRow(index.row());
    accept();
}

void LookupDialog::ShowCount() { status_->setText(QStringLiteral("共 %1 条").arg(model_->rowCount())); }

}  // namespace host
