#pragma once
// Conversions between UTF-8 and UTF-16 for callers that keep their text in
// containers of their own or in fixed buffers. Invalid input never fails:
// broken sequences and lone surrogates become U+FFFD.

#include <cstddef>
#include <string>

#include <utf8.h>

namespace orv {

//! The replacement for every invalid sequence.
const char32_t REPLACEMENT_CHARACTER = 0xFFFD;

//! Appends the UTF-16 form of `length` bytes of UTF-8 to any string of char16_t.
template <class U16String> void appendUtf8AsUtf16(const char* text, size_t length, U16String& out)
{
	const char* it = text;
	const char* const end = text + length;
	while (it < end)
	{
		char32_t c;
		try
		{
			c = static_cast<char32_t>(utf8::next(it, end));
		}
		catch (const utf8::exception&)
		{
			// utf8::next leaves the iterator where it was on failure: skip the
			// whole broken sequence as one character, the way its lead byte
			// announces it, but never past a byte that starts a new one.
			++it;
			while (it < end && (static_cast<unsigned char>(*it) & 0xC0) == 0x80)
				++it;
			c = REPLACEMENT_CHARACTER;
		}
		if (c >= 0x10000)
		{
			c -= 0x10000;
			out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
			out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
		}
		else
		{
			out.push_back(static_cast<char16_t>(c));
		}
	}
}

//! Writes the UTF-8 form of `count` UTF-16 units into `out`, whole characters
//! only, at most `capacity` bytes; returns the bytes written. No terminator.
size_t utf16ToUtf8Bounded(const char16_t* units, size_t count, char* out, size_t capacity);

} // namespace orv
