// The reprint window: the bills of the price-adjustment kind whose bill date lies in a date
// range (audited and posted ones too), from which the operator ticks or selects bills and prints
// them again. Printing is handed to a callback with the serials joined by "|".
#pragma once
#include <QDate>
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;

namespace db {
class Connection;
}

namespace host {

class ReprintBillModel;

class ReprintDialog : public QDialog {
    Q_OBJECT
public:
    using PrintAction = std::function<void(const std::string& serials)>;

    // With `onlyOperator` set, the list holds only the bills that operator entered.
    ReprintDialog(db::Connection& connection, QDate from, QDate to, PrintAction print, QWidget* parent = nullptr,
                  std::string onlyOperator = {});

    // Lists the bills of the range now in the date boxes; a failure shows a message.
    void Query();
    // Prints the ticked bills, or the selected rows when none is ticked.
    void PrintChosen();
    std::vector<std::string> ChosenSerials() const;

    QDateEdit* FromBox() const { return from_; }
    QDateEdit* ToBox() const { return to_; }
    QPushButton* QueryButton() const { return query_; }
    QPushButton* PrintButton() const { return print_; }
    QPushButton* CloseButton() const { return close_; }
    QTableView* Grid() const { return grid_; }
    ReprintBillModel* Model() const { return model_; }

private:
    db::Connection& connection_;
    PrintAction printAction_;
    std::string onlyOperator_;
    ReprintBillModel* model_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QPushButton* query_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* close_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* status_ = nullptr;
};

// The statement listing the bills with a bill date from `from` through `to`.
// The bills of a date range; with `onlyOperator` set, only the bills that operator entered.
std::string ReprintListStatement(QDate from, QDate to, const std::string& onlyOperator = {});

}  // namespace host
