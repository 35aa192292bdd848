#include "host/ReprintDialog.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "data/PrintEngine.h"
#include "data/QueryRoutines.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/NaturalOrder.h"
#include "db/TextUtil.h"
#include "host/BillReader.h"
#include "host/QtText.h"
#include "host/ReprintBillModel.h"
#include "ui/qt/WindowPlacement.h"

namespace host {
namespace {

std::string DateLiteral(QDate d) {
    return "'" + data::EscapeQuote(ToStdString(d.toString(QStringLiteral("yyyy-MM-dd")))) + "'";
}

QString Describe(const std::exception& e) {
    if (auto* d = dynamic_cast<const db::Error*>(&e)) return ToQString(d->Description());
    return ToQString(e.what());
}

QDateEdit* MakeDateBox(QDate date, QWidget* parent) {
    auto* box = new QDateEdit(date, parent);
    box->setCalendarPopup(true);
    box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return box;
}

}  // namespace

std::string ReprintListStatement(QDate from, QDate to, const std::string& onlyOperator) {
    // Bill dates may carry a time, so the range ends before the day after `to`.
    return "select lsh, kdrq, dwbh, bz, czry, shbz, jzbz from " + db::text::Trim(data::kHeaderTable) +
           " where kdrq >= " + DateLiteral(from) + " and kdrq < " + DateLiteral(to.addDays(1)) +
           (onlyOperator.empty() ? std::string() : " and czry='" + data::EscapeQuote(onlyOperator) + "'") +
           " order by kdrq, lsh";
}

ReprintDialog::ReprintDialog(db::Connection& connection, QDate from, QDate to, PrintAction print, QWidget* parent,
                             std::string onlyOperator)
    : QDialog(parent), connection_(connection), printAction_(std::move(print)), onlyOperator_(std::move(onlyOperator)) {
    setWindowTitle(QStringLiteral("重打单据"));
    setModal(true);
    resize(860, 520);
    ui::qt::WindowPlacement::Keep(*this, QStringLiteral("ReprintDialog"));

    from_ = MakeDateBox(from, this);
    to_ = MakeDateBox(to, this);
    query_ = new QPushButton(QStringLiteral("查询"), this);
    query_->setDefault(true);  // Enter in the dates runs the query, never the print
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("开单日期 从"), this));
    range->addWidget(from_);
    range->addWidget(new QLabel(QStringLiteral("到"), this));
    range->addWidget(to_);
    range->addWidget(query_);
    range->addStretch(1);

    model_ = new ReprintBillModel(this);
    grid_ = new QTableView(this);
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setAlternatingRowColors(true);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setStretchLastSection(false);
    grid_->horizontalHeader()->setSectionResizeMode(ReprintBillModel::Remark, QHeaderView::Stretch);
    grid_->setColumnWidth(ReprintBillModel::Check, 48);

    status_ = new QLabel(this);
    print_ = new QPushButton(QStringLiteral("打印"), this);
    close_ = new QPushButton(QStringLiteral("关闭"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(print_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);

    connect(query_, &QPushButton::clicked, this, &ReprintDialog::Query);
    connect(print_, &QPushButton::clicked, this, &ReprintDialog::PrintChosen);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    Query();
}

void ReprintDialog::Query() {
    try {
        db::Recordset rs = connection_.OpenRecordset(ReprintListStatement(from_->date(), to_->date(), onlyOperator_));
        std::vector<ReprintBillRow> rows;
        rows.reserve(static_cast<size_t>(rs.RecordCount()));
        for (int r = 0; r < rs.RecordCount(); ++r) {
            rows.push_back({db::FieldText(rs.At(r, 0)), db::FieldDay(rs.At(r, 1)), db::FieldText(rs.At(r, 2)),
                            db::FieldText(rs.At(r, 3)), db::FieldText(rs.At(r, 4)), db::FieldFlag(rs.At(r, 5)),
                            db::FieldFlag(rs.At(r, 6)), false});
        }
        rs.Close();
        // By day, and within a day by serial number as every grid orders serials (2 before 10).
        std::stable_sort(rows.begin(), rows.end(), [](const ReprintBillRow& a, const ReprintBillRow& b) {
            if (a.billDate != b.billDate) return a.billDate < b.billDate;
            return db::NaturalLess(a.serial, b.serial);
        });
        model_->SetRows(std::move(rows));
        status_->setText(QStringLiteral("共 %1 张单据").arg(model_->rowCount()));
    } catch (const std::exception& e) {
        QMessageBox::critical(this, QStringLiteral("系统提示"), Describe(e));
    }
}

std::vector<std::string> ReprintDialog::ChosenSerials() const {
    std::vector<std::string> serials = model_->CheckedSerials();
    if (!serials.empty()) return serials;
    std::set<int> selected;
    for (const QModelIndex& i : grid_->selectionModel()->selectedRows()) selected.insert(i.row());
    for (int r : selected) serials.push_back(model_->Rows()[static_cast<size_t>(r)].serial);
    return serials;
}

void ReprintDialog::PrintChosen() {
    const auto serials = ChosenSerials();
    if (serials.empty()) {
        QMessageBox::information(this, QStringLiteral("系统提示"), QStringLiteral("你没有选择任何需打印的单据！"));
        return;
    }
    std::string list;
    for (const auto& s : serials) list += (list.empty() ? "" : "|") + s;
    try {
        if (printAction_) printAction_(list);
    } catch (const std::exception& e) {
        QMessageBox::critical(this, QStringLiteral("系统提示"), Describe(e));
    }
}

}  // namespace host
