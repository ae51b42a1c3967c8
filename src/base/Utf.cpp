#include "base/Utf.h"

namespace orv {

namespace {

size_t encodedLength(char32_t c)
{
	return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

} // namespace

size_t utf16ToUtf8Bounded(const char16_t* units, size_t count, char* out, size_t capacity)
{
	size_t written = 0;
	for (size_t i = 0; i < count; ++i)
	{
		char32_t c = units[i];
		if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
		{
			c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
			++i;
		}
		else if (c >= 0xD800 && c <= 0xDFFF)
		{
			c = REPLACEMENT_CHARACTER;
		}
		if (written + encodedLength(c) > capacity)
			break;
		written = static_cast<size_t>(utf8::unchecked::append(static_cast<utf8::uint32_t>(c), out + written) - out);
	}
	return written;
}

} // namespace orv
