#include "host/ReportColumnsDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>
#include <algorithm>

#include "host/QtText.h"
#include "host/ReportTableModel.h"
#include "ui/qt/WindowPlacement.h"

namespace host {
namespace {

enum Column { kShown, kField, kHeading, kWidth, kColumns };
constexpr int kFieldRole = Qt::UserRole + 1;

}  // namespace

ReportColumnsDialog::ReportColumnsDialog(const ReportTableModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("列属性定义"));
    table_ = new QTableWidget(0, kColumns, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("显示"), QStringLiteral("列"), QStringLiteral("标题"), QStringLiteral("宽度")});
    table_->setAccessibleName(QStringLiteral("列属性"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(kHeading, QHeaderView::Stretch);
    auto* hint = new QLabel(QStringLiteral("勾选要显示的列；双击标题或宽度（像素）可修改；上移、下移调整列的次序。"), this);
    hint->setWordWrap(true);

    auto* up = new QPushButton(QStringLiteral("上移(&U)"), this);
    auto* down = new QPushButton(QStringLiteral("下移(&D)"), this);
    auto* defaults = new QPushButton(QStringLiteral("恢复默认"), this);
    connect(up, &QPushButton::clicked, this, [this] { MoveCurrent(-1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveCurrent(1); });
    connect(defaults, &QPushButton::clicked, this, &ReportColumnsDialog::RestoreDefaults);
    auto* side = new QVBoxLayout;
    side->addWidget(up);
    side->addWidget(down);
    side->addSpacing(12);
    side->addWidget(defaults);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(table_, 1);
    middle->addLayout(side);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportColumnsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(middle, 1);
    layout->addWidget(buttons);
    Fill(model_.Columns());
    resize(560, 480);
    ui::qt::WindowPlacement::Keep(*this, QStringLiteral("ReportColumnsDialog"));
}

void ReportColumnsDialog::Fill(const std::vector<ReportColumnSetting>& columns) {
    table_->setRowCount(0);
    for (const ReportColumnSetting& c : columns) {
        const int f = model_.FieldIndex(c.field);
        if (f < 0) continue;
        const int row = table_->rowCount();
        table_->insertRow(row);
        auto* shown = new QTableWidgetItem;
        shown->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        shown->setCheckState(c.visible ? Qt::Checked : Qt::Unchecked);
        shown->setData(kFieldRole, ToQString(c.field));
        auto* field = new QTableWidgetItem(ToQString(c.field));
        field->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        auto* heading = new QTableWidgetItem(ToQString(c.heading.empty() ? c.field : c.heading));
        auto* width = new QTableWidgetItem;
        width->setData(Qt::EditRole, c.width > 0 ? c.width : model_.ColumnWidth(f));
        table_->setItem(row, kShown, shown);
        table_->setItem(row, kField, field);
        table_->setItem(row, kHeading, heading);
        table_->setItem(row, kWidth, width);
    }
    table_->resizeColumnToContents(kField);
    if (table_->rowCount() > 0) table_->setCurrentCell(0, kField);
}

void ReportColumnsDialog::MoveCurrent(int step) {
    const int row = table_->currentRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= table_->rowCount()) return;
    for (int c = 0; c < kColumns; ++c) {
        QTableWidgetItem* a = table_->takeItem(row, c);
        QTableWidgetItem* b = table_->takeItem(target, c);
        table_->setItem(row, c, b);
        table_->setItem(target, c, a);
    }
    table_->setCurrentCell(target, table_->currentColumn() < 0 ? kField : table_->currentColumn());
}

void ReportColumnsDialog::RestoreDefaults() { Fill(model_.DefaultColumns()); }

std::vector<ReportColumnSetting> ReportColumnsDialog::Columns() const {
    std::vector<ReportColumnSetting> columns;
    for (int row = 0; row < table_->rowCount(); ++row) {
        ReportColumnSetting c;
        c.field = ToStdString(table_->item(row, kShown)->data(kFieldRole).toString());
        c.visible = table_->item(row, kShown)->checkState() == Qt::Checked;
        const QString heading = table_->item(row, kHeading)->text().trimmed();
        c.heading = heading == ToQString(c.field) ? std::string() : ToStdString(heading);
        c.width = std::clamp(table_->item(row, kWidth)->data(Qt::EditRole).toInt(), 0, 2000);
        columns.push_back(std::move(c));
    }
    return columns;
}

void ReportColumnsDialog::accept() {
    bool any = false;
    for (const auto& c : Columns()) any = any || c.visible;
    if (!any) {
        QMessageBox::warning(this, QStringLiteral("系统提示"), QStringLiteral("至少要显示一列。"));
        return;
    }
    QDialog::accept();
}

}  // namespace host
