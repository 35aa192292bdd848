// The table widget of a grid: one current row, whole-row selection, no editing or sorting of its
// own, no row headers. Reports mouse presses on cells and on the heading, and double-clicks on
// data rows, in grid numbering (heading row 0, data rows from 1).
#pragma once
#include <QTableView>

namespace ui::qt {

class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

signals:
    // After the view has handled the press. `row` is -1 below the last row, `col` -1 right of
    // the last column; `button` and `shift` in the host's numbering.
    void cellPressed(int row, int col, int button, int shift);
    void rowDoubleClicked(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace ui::qt
