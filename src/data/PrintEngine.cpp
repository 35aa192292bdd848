#include "data/PrintEngine.h"

#include "data/ComponentFactory.h"

namespace data {

void PrintBillList(db::Connection& connection, std::string serials) {
    auto engine = ComponentFactory::CreateAs<PrintEngine>(ComponentName::PrintEngine);
    engine->SetConnection(connection);
    engine->SetCompany(kCompanyId);
    engine->SetTable(0, kHeaderTable);
    engine->SetTable(1, kLineTable);
    engine->SetFlag(-1);
    bool flag = true;
    engine->Print(kBillTypeCode, serials, flag);
}

}  // namespace data
