#pragma once
// Wide characters hold code points here (wchar_t has 32 bits); a value that is
// no Unicode scalar value is laid out as U+FFFD, as the UTF-16 path would.

#include "base/ustring16.h"

namespace irr {
namespace gui {

static_assert(sizeof(wchar_t) == 4, "wide text is read as code points");

const core::uchar32_t REPLACEMENT_CHARACTER = 0xFFFD;

inline core::uchar32_t toCodePoint(wchar_t c)
{
	const u32 value = static_cast<u32>(c);
	return (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF ? REPLACEMENT_CHARACTER : value;
}

inline core::uchar32_t toCodePoint(core::uchar32_t c)
{
	return c;
}

} // namespace gui
} // namespace irr
