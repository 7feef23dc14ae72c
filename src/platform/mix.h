// A 64-bit mix of a value (the finaliser of SplitMix64, with its step added
// first): the key of a castling set-up, and the strength levels' generator.
#pragma once

#include <cstdint>

// SplitMix64's step: the golden ratio in 64 bits.
constexpr uint64_t GoldenGamma = 0x9E3779B97F4A7C15ull;

constexpr uint64_t Mix64(uint64_t x) {
    x += GoldenGamma;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}
