#include "host/ReportFilterDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QVBoxLayout>

#include "host/QtText.h"
#include "host/ReportFilter.h"
#include "host/ReportTableModel.h"
#include "ui/qt/WindowPlacement.h"

namespace host {
namespace {

constexpr int kAny = -1;

}  // namespace

ReportFilterDialog::ReportFilterDialog(const ReportTableModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("过滤数据"));
    auto* inner = new QWidget;
    auto* grid = new QGridLayout(inner);
    grid->addWidget(new QLabel(QStringLiteral("<b>列</b>"), inner), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("<b>条件</b>"), inner), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("<b>值 / 从</b>"), inner), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("<b>到</b>"), inner), 0, 3);

    const auto& fields = model_.Fields();
    for (const ReportColumnSetting& c : model_.Columns()) {
        const int f = model_.FieldIndex(c.field);
        if (f < 0) continue;
        const ReportField& field = fields[static_cast<size_t>(f)];
        const QString heading = model_.Heading(f);
        Row row{field.name, new QComboBox(inner), new QLineEdit(inner), new QLineEdit(inner)};
        row.op->addItem(QStringLiteral("不限"), kAny);
        row.op->addItem(QStringLiteral("等于"), static_cast<int>(ReportFilterOp::Equals));
        if (field.kind == ReportFieldKind::Text) row.op->addItem(QStringLiteral("包含"), static_cast<int>(ReportFilterOp::Contains));
        else row.op->addItem(QStringLiteral("介于"), static_cast<int>(ReportFilterOp::Between));
        if (field.kind == ReportFieldKind::Date) {
            row.value->setPlaceholderText(QStringLiteral("yyyy-mm-dd"));
            row.to->setPlaceholderText(QStringLiteral("yyyy-mm-dd"));
        }
        auto* label = new QLabel(heading, inner);
        label->setBuddy(row.op);
        row.op->setAccessibleName(heading + QStringLiteral(" 条件"));
        row.value->setAccessibleName(heading + QStringLiteral(" 值"));
        row.to->setAccessibleName(heading + QStringLiteral(" 到"));
        const int r = static_cast<int>(rows_.size()) + 1;
        grid->addWidget(label, r, 0);
        grid->addWidget(row.op, r, 1);
        grid->addWidget(row.value, r, 2);
        grid->addWidget(row.to, r, 3);
        for (const ReportFilterRule& rule : model_.Filter()) {
            if (rule.field != field.name) continue;
            row.op->setCurrentIndex(row.op->findData(static_cast<int>(rule.op)));
            row.value->setText(ToQString(rule.value));
            row.to->setText(ToQString(rule.to));
        }
        rows_.push_back(row);
        const size_t index = rows_.size() - 1;
        connect(row.op, &QComboBox::currentIndexChanged, this, [this, index] { OpChanged(index); });
        OpChanged(index);
    }
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(static_cast<int>(rows_.size()) + 1, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(inner);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    clear_ = buttons->addButton(QStringLiteral("清除过滤"), QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportFilterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(clear_, &QPushButton::clicked, this, [this] {
        for (Row& row : rows_) {
            row.op->setCurrentIndex(0);
            row.value->clear();
            row.to->clear();
        }
        QDialog::accept();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
    resize(620, 460);
    ui::qt::WindowPlacement::Keep(*this, QStringLiteral("ReportFilterDialog"));
}

void ReportFilterDialog::OpChanged(size_t index) {
    Row& row = rows_[index];
    const int op = row.op->currentData().toInt();
    row.value->setEnabled(op != kAny);
    row.to->setEnabled(op == static_cast<int>(ReportFilterOp::Between));
}

int ReportFilterDialog::RowOf(const std::string& field) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].field == field) return static_cast<int>(i);
    return -1;
}

std::vector<ReportFilterRule> ReportFilterDialog::Rules() const {
    std::vector<ReportFilterRule> rules;
    for (const Row& row : rows_) {
        const int op = row.op->currentData().toInt();
        if (op == kAny) continue;
        ReportFilterRule r;
        r.field = row.field;
        r.op = static_cast<ReportFilterOp>(op);
        r.value = ToStdString(row.value->text());
        if (r.op == ReportFilterOp::Between) r.to = ToStdString(row.to->text());
        rules.push_back(std::move(r));
    }
    return rules;
}

void ReportFilterDialog::accept() {
    for (const ReportFilterRule& r : Rules()) {
        const std::string problem = ReportFilter::Problem(r, model_.Fields());
        if (problem.empty()) continue;
        QMessageBox::warning(this, QStringLiteral("系统提示"), ToQString(problem));
        const int row = RowOf(r.field);
        if (row >= 0) ValueEdit(row)->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace host
