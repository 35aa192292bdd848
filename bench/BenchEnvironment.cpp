#include "bench/BenchEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "bench/PickerModelLookup.h"
#include "data/HostContext.h"
#include "data/QueryRoutines.h"
#include "host/PdfPrintEngine.h"
#include "host/TableRightsComponent.h"
#include "schema/DemoDatabase.h"
#include "schema/ScaleDatabase.h"

namespace bench {
namespace {
std::unique_ptr<BenchEnvironment>& Instance() {
    static std::unique_ptr<BenchEnvironment> env;
    return env;
}
}  // namespace

void BenchEnvironment::Start(const std::string& database, bool server) {
    Instance().reset(new BenchEnvironment(database, server));
}

BenchEnvironment& BenchEnvironment::Get() {
    if (!Instance()) throw std::logic_error("bench environment not started");
    return *Instance();
}

BenchEnvironment::BenchEnvironment(const std::string& database, bool server)
    : connStr_(server ? database : "Provider=SQLite;Data Source=" + database) {
    if (!server && !std::filesystem::exists(database)) throw std::runtime_error("no database at " + database);
    char pattern[] = "/tmp/spb-bench-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("cannot make a scratch folder");
    scratch_ = pattern;
    raw_ = server ? RawDatabase::OpenPostgres(database) : RawDatabase::OpenSqlite(database);
    if (server) rawOdbc_ = RawDatabase::OpenOdbc(database);
    toolkit_ = std::make_unique<ui::ScopedHeadlessToolkit>();

    host::RegisterTableRights();
    RegisterPickerModelLookup();
    host::RegisterPdfPrintEngine(host::PrintOutput::PdfFile, scratch_);

    auto& host = data::Host();
    const auto& admin = schema::DemoOperators().front();
    host.ConnStr = connStr_;
    host.OptCode = admin.code;
    host.OptName = admin.name;
    host.SysDate = db::DateTime{2026, 12, 6};
    host.CommandTimeout = 30;
    host.BranchMode = data::ByBranch;
    host.HostConnection = std::make_unique<db::Connection>();
    host.HostConnection->Open(connStr_);
    FindFixtures();
}

void BenchEnvironment::FindFixtures() {
    RawDatabase& raw = *raw_;
    Fixtures& f = fixtures_;
    const std::string me = data::Host().OptName;
    f.operatorName = me;
    f.longBills = raw.Column(std::string("select lsh from SubAdjuctPrice where bz='") + schema::kLongBillRemark +
                             "' and jzbz=0 order by cast(lsh as int)");
    if (f.longBills.empty())  // the demo set: its bill with the most lines
        f.longBills = raw.Column("select lsh from SubAdjuctPricemx group by lsh order by count(*) desc, lsh limit 1");
    if (!f.longBills.empty()) {
        f.longBillLines = std::stoi(raw.Scalar("select count(*) from SubAdjuctPricemx where lsh='" + f.longBills[0] + "'"));
        f.longBillBranch = raw.Scalar("select dwbh from SubAdjuctPrice where lsh='" + f.longBills[0] + "'");
    }
    f.operatorOpenLines = std::stol(raw.Scalar(
        "select count(*) from SubAdjuctPrice a join SubAdjuctPricemx b on a.lsh=b.lsh where a.czry='" + me +
        "' and a.jzbz=0 and coalesce(a.bz5,'')=''"));
    const long items = std::stol(raw.Scalar("select count(*) from yw_kck where coalesce(FDeleted,0)=0"));
    f.exactCode = raw.Scalar("select hh from yw_kck where coalesce(FDeleted,0)=0 order by hh limit 1 offset " +
                             std::to_string(items / 2));
    f.mnemonic = raw.Scalar("select pm_zjm from yw_kck where hh='" + f.exactCode + "'");
    f.firstMnemonicItem = raw.Scalar("select hh from yw_kck where coalesce(FDeleted,0)=0 and pm_zjm like '" + f.mnemonic +
                                     "%' order by hh limit 1");
    f.firstItem = raw.Scalar("select hh from yw_kck where coalesce(FDeleted,0)=0 order by hh limit 1");
    f.auditedOpenBills = raw.Column(
        "select lsh from SubAdjuctPrice where jzbz=0 and shbz=1 and coalesce(bz5,'')='' order by lsh");
    f.smallBill = raw.Scalar("select a.lsh from SubAdjuctPrice a where a.jzbz=0 and a.shbz=0 and coalesce(a.bz5,'')='' and "
                             "(select count(*) from SubAdjuctPricemx b where b.lsh=a.lsh) between 5 and 20 "
                             "order by cast(a.lsh as int) desc limit 1");
}

void BenchEnvironment::SystemExec(const std::string& sql) {
    for (size_t start = 0; start < sql.size();) {
        size_t end = sql.find("; ", start);
        if (end == std::string::npos) end = sql.size();
        data::HostConnection().Execute(sql.substr(start, end - start));
        start = end + 2;
    }
}

}  // namespace bench
