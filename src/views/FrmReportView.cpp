#include "views/FrmReportView.h"

#include <QAbstractItemView>
#include <QHBoxLayout>

#include "ui/Twips.h"
#include "ui/qt/LabelBinding.h"
#include "ui/qt/ToolbarBinding.h"

namespace views {
using namespace ui::qt;
using ui::kTwipsPerPixel;

FrmReportView::FrmReportView(report::FrmReport& window, QWidget* parent) : View(window, parent), window_(window) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);

    // No layout manager: the toolbar keeps to the top, the band and the grid take the sizes the
    // window's logic gives them.
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("Toolbar1"));
    band_ = new QFrame(this);
    band_->setObjectName(QStringLiteral("Pic1"));
    band_->setFrameShape(QFrame::NoFrame);
    band_->setAutoFillBackground(true);
    band_->setStyleSheet(QStringLiteral(
        "QFrame#Pic1 { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #1f4e79, stop:0.6 #4f81bd, stop:1 #dbe5f1); }"
        "QLabel#LblRptName { color: white; background: transparent; }"));
    lblRptName_ = new QLabel(band_);
    lblRptName_->setObjectName(QStringLiteral("LblRptName"));
    auto* bandLayout = new QHBoxLayout(band_);
    bandLayout->setContentsMargins(12, 0, 12, 0);
    bandLayout->addWidget(lblRptName_);
    bandLayout->addStretch(1);

    grid_ = static_cast<QWidget*>(window.KxGrid1().NativeWidget());
    if (grid_) {
        grid_->setParent(this);
        grid_->show();
        // The band's name labels the report grid for the keyboard and screen readers.
        QWidget* focus = grid_->findChild<QAbstractItemView*>();
        lblRptName_->setBuddy(focus ? focus : grid_.data());
        if (focus) setFocusProxy(focus);
    }

    toolbarBinding_ = &Adopt(std::make_unique<ToolbarBinding>(window.Toolbar1, toolBar_));
    Adopt(std::make_unique<LabelBinding>(window.LblRptName, lblRptName_));
    Adopt(std::make_unique<ControlBinding>(window.Pic1, band_));
    window.Pic1.Subscribe([this] { PlaceBand(); });

    resize(DesignSize(QSize(960, 640)));
    BeforeResize();
}

FrmReportView::~FrmReportView() {
    window_.Pic1.ClearObservers();
    // The grid belongs to its component, which outlives this dialog.
    if (grid_) {
        grid_->hide();
        grid_->setParent(nullptr);
    }
}

void FrmReportView::BeforeResize() {
    const int toolbarHeight = toolBar_->sizeHint().height();
    toolBar_->setGeometry(0, 0, width(), toolbarHeight);
    window_.Toolbar1.SetHeight(toolbarHeight * kTwipsPerPixel);
    PlaceBand();
    if (grid_) grid_->move(0, toolbarHeight + window_.Pic1.Height() / kTwipsPerPixel);
}

void FrmReportView::PlaceBand() {
    const int width = window_.Pic1.Width() > 0 ? window_.Pic1.Width() / kTwipsPerPixel : this->width();
    band_->setGeometry(0, toolBar_->height(), width, window_.Pic1.Height() / kTwipsPerPixel);
}

}  // namespace views
