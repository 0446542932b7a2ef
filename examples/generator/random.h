#pragma once

#include <cstdint>

namespace zandrel::studygen {

// splitmix64: a tiny generator whose output is the same on every platform, unlike the
// standard distributions, whose algorithms differ between standard libraries.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1): the top 53 bits scaled by 2^-53, exact in double.
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double low, double high) { return low + (high - low) * unit(); }
    // A magnitude in [low, high) with a random sign.
    double signedMagnitude(double low, double high) {
        const double magnitude = uniform(low, high);
        return (next() & 1u) ? -magnitude : magnitude;
    }
    // Uniform integer in [low, high] (the modulo bias is irrelevant here).
    int integer(int low, int high) {
        const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low + 1);
        return low + static_cast<int>(next() % span);
    }

private:
    std::uint64_t state_;
};

// Seed of an independent stream: one per subject and per aspect of a subject, so that
// changing one option (say, the number of plots) leaves the other aspects unchanged.
inline std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t stream) {
    Random mixer(seed ^ (stream * 0xD1B54A32D192ED03ull));
    return mixer.next();
}

}  // namespace zandrel::studygen
