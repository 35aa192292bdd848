#include "ui/qt/TextBoxBinding.h"

#include <QPalette>

namespace ui::qt {

TextBoxBinding::TextBoxBinding(ui::TextBox& box, QLineEdit* edit) : ControlBinding(box, edit), box_(box), edit_(edit) {
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!Applying()) box_.TypedText(text.toStdString());
    });
    connect(edit, &QLineEdit::selectionChanged, this, [this] { ReportSelection(); });
    connect(edit, &QLineEdit::cursorPositionChanged, this, [this] { ReportSelection(); });
}

void TextBoxBinding::ReportSelection() {
    if (Applying()) return;
    const QString text = edit_->text();
    if (text.toStdString() != box_.Text()) box_.TypedText(text.toStdString());
    std::pair<int, int> sel = edit_->hasSelectedText()
                                  ? std::pair{edit_->selectionStart(), edit_->selectionLength()}
                                  : std::pair{edit_->cursorPosition(), 0};
    if (sel == std::pair{box_.SelStart(), box_.SelLength()}) return;
    shownSelection_ = sel;  // already on screen: the notification below need not move it
    box_.Select(sel.first, sel.second);
}

void TextBoxBinding::Apply() {
    ControlBinding::Apply();
    const QString text = QString::fromStdString(box_.Text());
    const bool newText = edit_->text() != text;
    if (newText) edit_->setText(text);
    edit_->setReadOnly(box_.Locked());

    const QColor back = QColor::fromRgb(static_cast<QRgb>(box_.BackColor()));
    QPalette palette = edit_->palette();
    if (palette.color(QPalette::Base) != back) {
        palette.setColor(QPalette::Base, back);
        edit_->setPalette(palette);
    }

    const std::pair<int, int> sel{box_.SelStart(), box_.SelLength()};
    if (newText || sel != shownSelection_) {
        if (sel.second > 0)
            edit_->setSelection(sel.first, sel.second);
        else
            edit_->setCursorPosition(sel.first);
        shownSelection_ = sel;
    }
}

}  // namespace ui::qt
