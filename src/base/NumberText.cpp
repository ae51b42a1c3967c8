#include "base/NumberText.h"

#include <cstdio>

namespace orv {

size_t formatUnsigned(unsigned long long value, char* out)
{
	char reversed[INTEGER_TEXT_SIZE];
	size_t count = 0;
	do
	{
		reversed[count++] = static_cast<char>('0' + value % 10);
		value /= 10;
	} while (value != 0);
	for (size_t i = 0; i < count; ++i)
		out[i] = reversed[count - 1 - i];
	out[count] = 0;
	return count;
}

size_t formatSigned(long long value, char* out)
{
	if (value >= 0)
		return formatUnsigned(static_cast<unsigned long long>(value), out);
	// Negating in unsigned arithmetic keeps the minimum value representable.
	out[0] = '-';
	return 1 + formatUnsigned(0ull - static_cast<unsigned long long>(value), out + 1);
}

size_t formatDecimal(double value, char* out)
{
	int written = std::snprintf(out, DECIMAL_TEXT_SIZE, "%0.6f", value);
	if (written < 0)
	{
		out[0] = 0;
		return 0;
	}
	if (static_cast<size_t>(written) >= DECIMAL_TEXT_SIZE)
		return DECIMAL_TEXT_SIZE - 1;
	return static_cast<size_t>(written);
}

} // namespace orv
