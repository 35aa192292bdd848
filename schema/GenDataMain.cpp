// spb-gendata: writes a host database of the given size to a new file, or into an empty server
// database reached through a connection string (the same rows either way).
//   spb-gendata small|medium|large PATH
//   spb-gendata small|medium|large --connection STRING [--stamp TEXT]
#include <chrono>
#include <exception>
#include <iostream>
#include <string>

#include "db/Connection.h"
#include "schema/ScaleDatabase.h"
#include "schema/ServerDatabase.h"

namespace {

int Usage() {
    std::cerr << "usage: spb-gendata small|medium|large PATH\n"
                 "       spb-gendata small|medium|large --connection STRING [--stamp TEXT]\n"
                 "  small   the demo set: 20 branches, 3,000 items, 10 bills\n"
                 "  medium  20 branches, 10,000 items, 100,000 prices, 20,000 bills, 300,000 lines\n"
                 "  large   200 branches, 100,000 items, 1,000,000 prices, 200,000 bills, 3,000,000 lines\n"
                 "PATH must not exist yet. A server database must be empty, or hold the data set marked\n"
                 "with the same stamp (then it is kept as it is); the stamp defaults to the size.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const auto scale = argc >= 3 ? schema::ParseDataScale(argv[1]) : std::nullopt;
    if (!scale) return Usage();
    std::string path, connection, stamp = argv[1];
    if (argc == 3) {
        path = argv[2];
    } else {
        for (int i = 2; i + 1 < argc; i += 2) {
            const std::string option = argv[i];
            if (option == "--connection") connection = argv[i + 1];
            else if (option == "--stamp") stamp = argv[i + 1];
            else return Usage();
        }
        if ((argc - 2) % 2 != 0 || connection.empty()) return Usage();
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        if (!path.empty()) {
            schema::CreateScaleDatabase(path, *scale);
        } else {
            db::Connection c;
            c.Open(connection);
            if (!schema::CreateServerScaleDatabase(c, *scale, stamp)) {
                std::cout << "spb-gendata: the server database already holds the data set " << stamp << "\n";
                return 0;
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "spb-gendata: " << e.what() << "\n";
        return 1;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::cout << "spb-gendata: " << argv[1] << " data set written to " << (path.empty() ? "the server database" : path)
              << " in " << took.count() << " s\n";
    return 0;
}
