#include "base/LeadingInteger.h"

#include <limits>

namespace orv {

irr::s32 readLeadingInteger(const char* text, size_t length)
{
	size_t i = 0;
	while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
		++i;
	bool negative = false;
	if (i < length && (text[i] == '+' || text[i] == '-'))
	{
		negative = text[i] == '-';
		++i;
	}
	// One past the largest magnitude is enough to know it saturates.
	const long long limit = negative ? -static_cast<long long>(std::numeric_limits<irr::s32>::min())
									 : std::numeric_limits<irr::s32>::max();
	long long magnitude = 0;
	for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i)
	{
		magnitude = magnitude * 10 + (text[i] - '0');
		if (magnitude > limit)
			magnitude = limit;
	}
	return static_cast<irr::s32>(negative ? -magnitude : magnitude);
}

irr::s32 readLeadingInteger(const irr::core::ustring16& text)
{
	const std::string utf8 = text.toUTF8_std();
	return readLeadingInteger(utf8.data(), utf8.size());
}

} // namespace orv
