#pragma once
// Times and sizes turned into the library's integers: a value beyond the
// target's range stops at its end instead of wrapping or trapping, and NaN
// counts as 0.

#include <cstdint>

namespace orv {
namespace audio {

//! Truncated toward zero into int.
int truncateToInt(double value);
//! Truncated toward zero into int64_t.
int64_t truncateToInt64(double value);
//! A 64-bit count limited to int.
int clampToInt(int64_t value);

} // namespace audio
} // namespace orv
