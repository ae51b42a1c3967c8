#pragma once

#include <cstddef>

namespace orv {

//! Room for the decimal text of any 64-bit integer, its sign and a NUL.
const size_t INTEGER_TEXT_SIZE = 24;
//! Room for any double printed with six decimals: 309 integer digits, sign,
//! point, decimals and NUL, with margin.
const size_t DECIMAL_TEXT_SIZE = 400;

//! Writes the decimal digits of a value (a leading '-' when negative) and a NUL
//! into out (INTEGER_TEXT_SIZE chars); returns the text's length. The minimum
//! value of every width prints in full: the magnitude is taken unsigned.
size_t formatSigned(long long value, char* out);
size_t formatUnsigned(unsigned long long value, char* out);
//! Writes the value with "%0.6f" into out (DECIMAL_TEXT_SIZE chars); returns the length.
size_t formatDecimal(double value, char* out);

} // namespace orv
