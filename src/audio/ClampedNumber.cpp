#include "audio/ClampedNumber.h"

#include <climits>
#include <cmath>

namespace orv {
namespace audio {

int truncateToInt(double value)
{
	if (std::isnan(value))
		return 0;
	if (value >= double(INT_MAX))
		return INT_MAX;
	if (value <= double(INT_MIN))
		return INT_MIN;
	return static_cast<int>(value);
}

int64_t truncateToInt64(double value)
{
	if (std::isnan(value))
		return 0;
	// 2^63 is exact in a double; the largest double below it converts.
	if (value >= 9223372036854775808.0)
		return INT64_MAX;
	if (value <= -9223372036854775808.0)
		return INT64_MIN;
	return static_cast<int64_t>(value);
}

int clampToInt(int64_t value)
{
	return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

} // namespace audio
} // namespace orv
