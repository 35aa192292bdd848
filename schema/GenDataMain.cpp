// spb-gendata: writes a host database of the given size to a new file.
//   spb-gendata small|medium|large PATH
#include <chrono>
#include <exception>
#include <iostream>
#include <string>

#include "schema/ScaleDatabase.h"

int main(int argc, char** argv) {
    const auto scale = argc == 3 ? schema::ParseDataScale(argv[1]) : std::nullopt;
    if (!scale) {
        std::cerr << "usage: spb-gendata small|medium|large PATH\n"
                     "  small   the demo set: 20 branches, 3,000 items, 10 bills\n"
                     "  medium  20 branches, 10,000 items, 100,000 prices, 20,000 bills, 300,000 lines\n"
                     "  large   200 branches, 100,000 items, 1,000,000 prices, 200,000 bills, 3,000,000 lines\n"
                     "PATH must not exist yet.\n";
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        schema::CreateScaleDatabase(argv[2], *scale);
    } catch (const std::exception& e) {
        std::cerr << "spb-gendata: " << e.what() << "\n";
        return 1;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::cout << "spb-gendata: " << argv[1] << " data set written to " << argv[2] << " in " << took.count() << " s\n";
    return 0;
}
