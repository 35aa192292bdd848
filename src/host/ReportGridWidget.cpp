#include "host/ReportGridWidget.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "host/ReportTableModel.h"

namespace host {

ReportGridWidget::ReportGridWidget(ReportTableModel& model, QWidget* parent)
    : QWidget(parent), model_(model), table_(new QTableView(this)), status_(new QLabel(this)), clearFilter_(new QToolButton(this)) {
    setObjectName(QStringLiteral("KxGrid1"));
    table_->setObjectName(QStringLiteral("ReportTable"));
    table_->setModel(&model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Fixed row heights keep a result of many rows cheap to lay out.
    QHeaderView* rows = table_->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    rows->setVisible(false);
    QHeaderView* heading = table_->horizontalHeader();
    heading->setSectionsClickable(true);
    heading->setSectionResizeMode(QHeaderView::Interactive);
    heading->setHighlightSections(false);
    heading->setSortIndicatorShown(false);
    heading->setDefaultAlignment(Qt::AlignCenter);
    // The columns fill the grid: the last one takes what the others leave.
    heading->setStretchLastSection(true);

    clearFilter_->setText(QStringLiteral("清除过滤"));
    clearFilter_->setAccessibleName(QStringLiteral("清除过滤"));
    clearFilter_->setToolTip(QStringLiteral("显示全部数据"));
    clearFilter_->setVisible(false);
    status_->setObjectName(QStringLiteral("ReportStatus"));

    auto* statusLine = new QHBoxLayout;
    statusLine->setContentsMargins(6, 2, 6, 2);
    statusLine->addWidget(status_, 1);
    statusLine->addWidget(clearFilter_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(table_, 1);
    layout->addLayout(statusLine);

    widthsSettled_.setSingleShot(true);
    widthsSettled_.setInterval(400);
    connect(&widthsSettled_, &QTimer::timeout, this, &ReportGridWidget::columnWidthsChanged);
    connect(heading, &QHeaderView::sectionClicked, this, &ReportGridWidget::HeadingClicked);
    connect(heading, &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        // The last column's width follows the grid's; it is no width the operator set.
        if (applying_ || column == table_->horizontalHeader()->count() - 1) return;
        model_.SetColumnWidth(column, size);
        widthsSettled_.start();
    });
    connect(clearFilter_, &QToolButton::clicked, this, &ReportGridWidget::clearFilterRequested);
    connect(&model_, &QAbstractItemModel::modelReset, this, &ReportGridWidget::Rearranged);
    Rearranged();
}

void ReportGridWidget::SetShowOrder(bool show) { table_->verticalHeader()->setVisible(show); }

void ReportGridWidget::Rearranged() {
    applying_ = true;
    const auto& shown = model_.ShownFields();
    for (size_t c = 0; c < shown.size(); ++c) table_->setColumnWidth(static_cast<int>(c), model_.ColumnWidth(shown[c]));
    QHeaderView* heading = table_->horizontalHeader();
    int sorted = -1;
    for (size_t c = 0; c < shown.size(); ++c)
        if (shown[c] == model_.SortField()) sorted = static_cast<int>(c);
    heading->setSortIndicatorShown(sorted >= 0);
    if (sorted >= 0) heading->setSortIndicator(sorted, model_.SortOrder());
    applying_ = false;
    note_.clear();
    // The keyboard starts on the first row.
    if (!table_->currentIndex().isValid() && model_.rowCount() > 0 && model_.columnCount() > 0)
        table_->setCurrentIndex(model_.index(0, 0));
    UpdateStatus();
}

void ReportGridWidget::HeadingClicked(int column) {
    const auto& shown = model_.ShownFields();
    if (column < 0 || column >= static_cast<int>(shown.size())) return;
    const int field = shown[static_cast<size_t>(column)];
    const Qt::SortOrder order = field == model_.SortField() && model_.SortOrder() == Qt::AscendingOrder
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    model_.SortByField(field, order);
    QApplication::restoreOverrideCursor();
}

void ReportGridWidget::ShowNote(const QString& note) {
    note_ = note;
    UpdateStatus();
}

void ReportGridWidget::UpdateStatus() {
    const bool filtered = !model_.Filter().empty();
    QString text = filtered ? QStringLiteral("已过滤：显示 %1 行，共 %2 行").arg(model_.ShownRows()).arg(model_.FetchedRows())
                            : QStringLiteral("共 %1 行").arg(model_.FetchedRows());
    if (!note_.isEmpty()) text += QStringLiteral("；") + note_;
    status_->setText(text);
    clearFilter_->setVisible(filtered);
}

}  // namespace host
