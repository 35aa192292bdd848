#include "views/FrmPriceHistoryView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <QSplitter>
#include <QVBoxLayout>

#include "ui/qt/GridBinding.h"
#include "views/PriceChartBinding.h"

namespace views {

FrmPriceHistoryView::FrmPriceHistoryView(bill::FrmPriceHistory& window, QWidget* parent) : ToolView(window, parent) {
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);

    auto* top = new QVBoxLayout;
    for (ui::Label* l : {&window.LabItem, &window.LabTarget, &window.LabCurrent}) top->addWidget(Caption(*l));

    auto* lists = new QWidget(this);
    auto* left = new QVBoxLayout(lists);
    left->setContentsMargins(0, 0, 0, 0);
    QLabel* label1 = Caption(window.Label1, lists);
    ui::qt::GridView* audited = Grid(window.VfgAudited, label1->text());
    label1->setBuddy(audited);
    QLabel* label2 = Caption(window.Label2, lists);
    ui::qt::GridView* pending = Grid(window.VfgPending, label2->text());
    label2->setBuddy(pending);
    QLabel* nothing = Caption(window.LabNothing, lists);
    nothing->setStyleSheet(QStringLiteral("color: #a00"));
    left->addWidget(label1);
    left->addWidget(audited, 3);
    left->addWidget(nothing);
    left->addWidget(label2);
    left->addWidget(pending, 2);

    chart_ = new QChartView(this);
    chart_->setObjectName(QString::fromStdString(window.ChtPrice.Name()));
    chart_->setAccessibleName(QString::fromStdString(window.ChtPrice.Title()));
    chart_->setMinimumWidth(320);
    Adopt(std::make_unique<PriceChartBinding>(window.ChtPrice, chart_));

    auto* splitter = splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(lists);
    splitter->addWidget(chart_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button(window.CmdClose));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    SizeFromDesign();
    // After the grid binding has fitted the columns to the rows.
    connect(audited->model(), &QAbstractItemModel::modelReset, this, [this, audited] { FitLists(audited); }, Qt::QueuedConnection);
    FitLists(audited);
}

void FrmPriceHistoryView::FitLists(QTableView* audited) {
    const int columns = audited->model() ? audited->model()->columnCount() : 0;
    if (columns == 0) return;
    if (layout()) layout()->activate();  // the splitter's width of now, also before the window is shown
    QHeaderView* heading = audited->horizontalHeader();
    // The last column stretches: what it needs is its own content, not its width now.
    int needed = 2 * audited->frameWidth() + audited->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
    for (int c = 0; c + 1 < columns; ++c) needed += audited->columnWidth(c);
    int last = heading->sectionSizeHint(columns - 1);
    const QFontMetrics metrics(audited->font());
    for (int r = 0; r < audited->model()->rowCount() && r < 200; ++r)
        last = std::max(last, metrics.horizontalAdvance(audited->model()->index(r, columns - 1).data().toString()) + 12);
    needed += std::clamp(last, ui::qt::GridBinding::kMinColumnWidth, ui::qt::GridBinding::kMaxColumnWidth);
    const int chart = chart_->minimumWidth();
    const int want = needed + splitter_->handleWidth() + chart;
    if (splitter_->width() < want) {
        int room = width() + want - splitter_->width();
        if (const QScreen* s = screen()) room = std::min(room, s->availableGeometry().width() - 20);
        resize(std::max(width(), room), height());
    }
    const int total = std::max(splitter_->width(), want);
    splitter_->setSizes({needed, std::max(chart, total - needed - splitter_->handleWidth())});
}

}  // namespace views
