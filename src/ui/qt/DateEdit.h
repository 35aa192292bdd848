// A date entry for the windows' field order and for typing dates.
// - Tab and Shift+Tab leave the field for the next or previous control, as in every other field,
//   instead of stepping through year, month and day (the arrow keys still reach every section).
// - Entering the field selects a section, so that typing replaces it: the year by Tab (and when
//   the code moves the focus here), the day by Shift+Tab, the section under the pointer by a click.
// - A separator ("-", "/" or ".") ends the section being typed and goes on to the next one; it
//   never leaves the field.
// - A whole date typed from the year on, with or without separators ("2026-12-31", "20261231",
//   "2026/12/31"), is taken as typed once its day has two digits, or when the operator leaves the
//   field or presses Enter with all three parts typed ("2026-2-3"). A typed date that does not
//   exist ("2026-02-31") is not taken: the field goes back to the date it showed before the
//   typing began.
#pragma once
#include <QDateEdit>
#include <QString>

namespace ui::qt {

class DateEdit : public QDateEdit {
public:
    explicit DateEdit(QWidget* parent = nullptr);

    // Shows a date set by the code: a typed entry in progress is dropped, not taken on leaving.
    void ShowDate(QDate d);

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Digits and separators typed since the entry began, and where it began.
    struct Entry {
        QString typed;
        int firstSection = 0;
        QDate before;
    };
    // The typed parts by section index, for keys typed from section `first` on; `next` is the
    // section the next digit goes to. False when the keys do not fit the sections.
    bool Split(const QString& typed, int first, QString (&parts)[3], int& next) const;
    void Type(QKeyEvent* event, QChar c);
    // Ends the entry; with `leaving` a whole date whose day has a single digit is taken too.
    void Finish(bool leaving);
    void Select(int section);

    Entry entry_;
};

}  // namespace ui::qt
