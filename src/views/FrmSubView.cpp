#include "views/FrmSubView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/qt/ButtonBinding.h"
#include "ui/qt/OptionButtonBinding.h"

namespace views {
using namespace ui::qt;

FrmSubView::FrmSubView(entry::FrmSub& window, QWidget* parent) : View(window, parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    // The options' own parent keeps Qt's arrow-key moves inside the group.
    auto* options = new QWidget(this);
    optSub_ = new QRadioButton(options);
    optSubSort_ = new QRadioButton(options);
    optSub_->setObjectName(QStringLiteral("OptSub"));
    optSubSort_->setObjectName(QStringLiteral("OptSubSort"));
    auto* optionLayout = new QVBoxLayout(options);
    optionLayout->setContentsMargins(24, 8, 8, 8);
    optionLayout->setSpacing(10);
    optionLayout->addWidget(optSub_);
    optionLayout->addWidget(optSubSort_);

    frame1_ = new QFrame(this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setFrameShape(QFrame::HLine);
    frame1_->setFrameShadow(QFrame::Sunken);

    cmdOK_ = new QPushButton(this);
    cmdCancel_ = new QPushButton(this);
    cmdOK_->setObjectName(QStringLiteral("CmdOK"));
    cmdCancel_->setObjectName(QStringLiteral("CmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options);
    layout->addStretch(1);
    layout->addWidget(frame1_);
    layout->addLayout(buttons);

    Adopt(std::make_unique<OptionButtonBinding>(window.OptSub, optSub_));
    Adopt(std::make_unique<OptionButtonBinding>(window.OptSubSort, optSubSort_));
    Adopt(std::make_unique<ButtonBinding>(window.CmdOK, cmdOK_));
    Adopt(std::make_unique<ButtonBinding>(window.CmdCancel, cmdCancel_));
    Adopt(std::make_unique<ControlBinding>(window.Frame1, frame1_));

    setFixedSize(DesignSize(QSize(280, 160)).expandedTo(minimumSizeHint()));
}

}  // namespace views
