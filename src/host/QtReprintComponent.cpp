#include "host/QtReprintComponent.h"

#include <QApplication>

#include "data/ComponentFactory.h"
#include "data/PrintEngine.h"
#include "data/Rights.h"
#include "data/RightsComponent.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "host/ReprintDialog.h"

namespace host {

QDate QtReprintComponent::DefaultTo() const {
    const QDate d(sysDate_.year, sysDate_.month, sysDate_.day);
    return sysDate_.year > 1900 && d.isValid() ? d : QDate::currentDate();
}

void QtReprintComponent::PrintBills(db::Connection& connection, const std::string& serials) {
    data::PrintBillList(connection, serials);
}

void QtReprintComponent::Run(int code) {
    if (code != data::kReprintCode) return;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw db::Error(db::ErrorCode::Generic, "重打单据需要图形界面");
    db::Connection connection;
    connection.Open(connStr_);
    // As in the browser: without the right to see every operator's bills, only one's own.
    bool seeAll = false;
    auto rights = data::ComponentFactory::CreateAs<data::RightsComponent>(data::ComponentName::Rights);
    rights->CheckRight(data::kModuleCode, -1, optCode_, "查看所有用户", connStr_, seeAll);
    ReprintDialog dialog(connection, DefaultFrom(), DefaultTo(),
                         [&connection](const std::string& serials) { PrintBills(connection, serials); },
                         QApplication::activeWindow(), seeAll ? std::string() : optName_);
    dialog.exec();
}

void RegisterReprint() {
    data::ComponentFactory::Register(data::ComponentName::Reprint, [] { return std::make_unique<QtReprintComponent>(); });
}

}  // namespace host
