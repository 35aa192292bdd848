// The host's reprint component: Run(27) opens the reprint window for price-adjustment bills on
// a connection of its own; the bills the operator picks go to the print engine that the
// component factory makes, with the same calls the bill browser's print makes. Other run codes
// do nothing.
#pragma once
#include <QDate>

#include "data/ReprintComponent.h"

namespace db {
class Connection;
}

namespace host {

class QtReprintComponent : public data::ReprintComponent {
public:
    void SetSysDate(const db::DateTime& date) override { sysDate_ = date; }
    void SetCommandTimeout(std::int16_t seconds) override { timeout_ = seconds; }
    void SetConnStr(const std::string& connStr) override { connStr_ = connStr; }
    void SetOptCode(const std::string& code) override { optCode_ = code; }
    void SetOptName(const std::string& name) override { optName_ = name; }
    // Throws db::Error when the connection cannot be opened.
    void Run(int code) override;
    void SetCategory(const std::string& category) override { category_ = category; }

    // The range the window opens with: the 30 days ending at the business date (today when the
    // business date was not set).
    QDate DefaultTo() const;
    QDate DefaultFrom() const { return DefaultTo().addDays(-29); }

    // Hands the serials to a print engine from the factory, on the given connection.
    static void PrintBills(db::Connection& connection, const std::string& serials);

private:
    db::DateTime sysDate_{1899, 12, 30};
    std::int16_t timeout_ = 0;
    std::string connStr_, optCode_, optName_, category_;
};

// Registers the component with the factory under its name.
void RegisterReprint();

}  // namespace host
