// The dialog of the branch-mode window (entry::FrmSub): the two options stacked, a separator
// line, OK and Cancel at the bottom right. Fixed size.
#pragma once
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>

#include "entry/FrmSub.h"
#include "ui/qt/View.h"

namespace views {

class FrmSubView : public ui::qt::View {
    Q_OBJECT
public:
    FrmSubView(entry::FrmSub& window, QWidget* parent = nullptr);

    QRadioButton* OptSub() const { return optSub_; }
    QRadioButton* OptSubSort() const { return optSubSort_; }
    QPushButton* CmdOK() const { return cmdOK_; }
    QPushButton* CmdCancel() const { return cmdCancel_; }
    QFrame* Frame1() const { return frame1_; }

private:
    QRadioButton* optSub_;
    QRadioButton* optSubSort_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    QFrame* frame1_;
};

}  // namespace views
