// Run by CTest before the tests on PostgreSQL: makes the two template databases on the test
// cluster (SPB_PG_CONNSTR) that every test copies, through the same connection and schema code as
// `subpricebill-host --init-demo`. Fails with a clear message when the cluster cannot be reached.
#include <cstdlib>
#include <iostream>
#include <string>

#include "db/Connection.h"
#include "db/Error.h"
#include "schema/ServerDatabase.h"
#include "support/TestDatabase.h"

using namespace testing_support;

namespace {

void Remake(db::Connection& admin, const std::string& name, bool demo) {
    admin.Execute("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    admin.Execute("CREATE DATABASE " + name);
    db::Connection c;
    c.Open(PgConnectionString(name));
    if (demo) {
        schema::DemoOptions o;
        o.itemCount = kPgDemoItems;
        schema::CreateServerDemoDatabase(c, o);
    } else {
        schema::CreateServerHostTables(c);
    }
}

}  // namespace

int main() {
    try {
        db::Connection admin;
        try {
            admin.Open(PgConnectionString("spb"));
        } catch (const std::exception& e) {
            std::cerr << "The PostgreSQL test cluster cannot be reached (" << db::DescriptionOf(e)
                      << "). ./test.sh starts one; by hand: scripts/pg-cluster.sh start DIR, then . DIR/env\n";
            return 1;
        }
        Remake(admin, kPgTemplate, false);
        Remake(admin, kPgDemoTemplate, true);
        std::cout << "templates " << kPgTemplate << " and " << kPgDemoTemplate << " ready\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "making the PostgreSQL templates failed: " << db::DescriptionOf(e) << "\n";
        return 1;
    }
}
