// splitmix64: a tiny random generator whose sequence is the same on every platform and standard
// library, unlike the std:: distributions, so that a seed gives the same data set everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace schema::detail {

class Random {
public:
    explicit Random(unsigned seed) : state_(0x9E3779B97F4A7C15ull ^ seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Between(double low, double high) { return low + (high - low) * Unit(); }
    bool Chance(double p) { return Unit() < p; }
    template <typename T>
    const T& Pick(std::span<const T> from) { return from[static_cast<size_t>(Below(static_cast<int>(from.size())))]; }

private:
    std::uint64_t state_;
};

}  // namespace schema::detail
