#include "base/ustring16.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>
#include <vector>

#include <utf8.h>

#include "base/ByteOrder.h"
#include "base/NumberText.h"

namespace irr {
namespace core {

namespace {

using orv::readBE16;
using orv::readBE32;
using orv::readLE16;
using orv::readLE32;

const uchar32_t REPLACEMENT = 0xFFFD;
const uchar32_t MAX_CODE_POINT = 0x10FFFF;

bool isHighSurrogate(uchar16_t u)
{
	return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(uchar16_t u)
{
	return u >= 0xDC00 && u <= 0xDFFF;
}
bool isSurrogate(uchar32_t c)
{
	return c >= 0xD800 && c <= 0xDFFF;
}

uchar32_t sanitize(uchar32_t c)
{
	return (c > MAX_CODE_POINT || isSurrogate(c)) ? REPLACEMENT : c;
}

void pushCodePoint(unit_string& units, uchar32_t c)
{
	c = sanitize(c);
	if (c < 0x10000)
	{
		units.push_back(static_cast<uchar16_t>(c));
	}
	else
	{
		c -= 0x10000;
		units.push_back(static_cast<uchar16_t>(0xD800 + (c >> 10)));
		units.push_back(static_cast<uchar16_t>(0xDC00 + (c & 0x3FF)));
	}
}

// Decodes one character at units[i] of well-formed text and advances i.
uchar32_t decodeAt(std::u16string_view units, size_t& i)
{
	uchar16_t u = units[i++];
	if (isHighSurrogate(u) && i < units.size() && isLowSurrogate(units[i]))
	{
		uchar32_t c = 0x10000 + ((static_cast<uchar32_t>(u) - 0xD800) << 10) + (units[i] - 0xDC00);
		++i;
		return c;
	}
	return u;
}

// Finds a pattern in time linear in text and pattern (Knuth-Morris-Pratt).
// Scripts choose both, and comparing the pattern afresh at every position
// of a long text takes hours for a long pattern that almost matches.
// Matches fall on character boundaries: well-formed text never starts a
// pattern with the second half of a surrogate pair.
class CUnitSearch
{
public:
	//! The pattern must not be empty.
	explicit CUnitSearch(const unit_string& pattern) : Pattern(pattern), Border(pattern.size(), 0)
	{
		for (size_t i = 1, k = 0; i < Pattern.size(); ++i)
		{
			while (k > 0 && Pattern[i] != Pattern[k])
				k = Border[k - 1];
			if (Pattern[i] == Pattern[k])
				++k;
			Border[i] = k;
		}
	}

	//! Where the first match at or after `from` starts, or npos.
	size_t next(const unit_string& text, size_t from) const
	{
		size_t k = 0;
		for (size_t i = from; i < text.size(); ++i)
		{
			while (k > 0 && text[i] != Pattern[k])
				k = Border[k - 1];
			if (text[i] == Pattern[k])
				++k;
			if (k == Pattern.size())
				return i + 1 - k;
		}
		return unit_string::npos;
	}

private:
	const unit_string& Pattern;
	std::vector<size_t> Border; // longest proper border of each prefix
};

// The characters of a list, sorted and searched: a list as long as the text
// would make a scan of the list per character quadratic, and most lists are
// a few characters long, too short to pay for a table of a whole plane.
class CCharacterSet
{
public:
	explicit CCharacterSet(const ustring16& list)
	{
		const std::u16string_view units = list.toUTF16_std();
		for (size_t i = 0; i < units.size();)
			Characters.push_back(decodeAt(units, i));
		std::sort(Characters.begin(), Characters.end());
		Characters.erase(std::unique(Characters.begin(), Characters.end()), Characters.end());
	}

	bool holds(uchar32_t c) const { return std::binary_search(Characters.begin(), Characters.end(), c); }

private:
	std::u32string Characters;
};

template <class Char> size_t lengthOf(const Char* text)
{
	size_t n = 0;
	while (text[n])
		++n;
	return n;
}

// The string object that holds the units is counted as they are.
template <typename... Args> unit_string* newBody(Args&&... args)
{
	void* memory = orv::allocateCounted(sizeof(unit_string));
	try
	{
		return new (memory) unit_string(std::forward<Args>(args)...);
	}
	catch (...)
	{
		orv::freeCounted(memory, sizeof(unit_string));
		throw;
	}
}

void deleteBody(unit_string* body)
{
	if (!body)
		return;
	body->~unit_string();
	orv::freeCounted(body, sizeof(unit_string));
}

} // namespace

unit_string& ustring16::units()
{
	unit_string* p = body();
	if (!p)
	{
		p = newBody();
		setBody(p);
	}
	return *p;
}

const unit_string& ustring16::units() const
{
	static const unit_string none;
	const unit_string* p = body();
	return p ? *p : none;
}

ustring16::ustring16(const ustring16& other)
{
	setBody(other.empty() ? nullptr : newBody(other.units()));
}

ustring16::ustring16(ustring16&& other) noexcept
{
	setBody(other.body());
	other.setBody(nullptr);
}

ustring16& ustring16::operator=(const ustring16& other)
{
	if (this != &other)
	{
		if (body())
			*body() = other.units();
		else if (!other.empty())
			setBody(newBody(other.units()));
	}
	return *this;
}

ustring16& ustring16::operator=(ustring16&& other) noexcept
{
	if (this != &other)
	{
		deleteBody(body());
		setBody(other.body());
		other.setBody(nullptr);
	}
	return *this;
}

ustring16::~ustring16()
{
	deleteBody(body());
}

ustring16::ustring16(const char* utf8)
{
	if (utf8)
		appendUTF8(utf8, utf8 + std::strlen(utf8));
}

ustring16::ustring16(const char* data, u32 lengthInBytes)
{
	loadDataStream(data, lengthInBytes);
}

ustring16::ustring16(const uchar16_t* utf16)
{
	if (utf16)
		appendUTF16(utf16, utf16 + lengthOf(utf16));
}

ustring16::ustring16(const uchar16_t* utf16, u32 count)
{
	if (utf16)
		appendUTF16(utf16, utf16 + count);
}

ustring16::ustring16(const uchar32_t* utf32)
{
	if (utf32)
		appendUTF32(utf32, utf32 + lengthOf(utf32));
}

ustring16::ustring16(const wchar_t* text)
{
	if (!text)
		return;
	const size_t n = lengthOf(text);
	if (sizeof(wchar_t) == 4)
	{
		unit_string& Units = units();
		Units.reserve(n);
		for (size_t i = 0; i < n; ++i)
			pushCodePoint(Units, static_cast<uchar32_t>(text[i]));
	}
	else
	{
		const unit_string wide(text, text + n);
		appendUTF16(wide.data(), wide.data() + n);
	}
}

ustring16::ustring16(const stringc& utf8)
{
	appendUTF8(utf8.c_str(), utf8.c_str() + utf8.size());
}

ustring16::ustring16(const stringw& text) : ustring16(text.c_str())
{
}

ustring16::ustring16(const std::string& utf8)
{
	appendUTF8(utf8.data(), utf8.data() + utf8.size());
}

ustring16::ustring16(const std::u16string& utf16)
{
	appendUTF16(utf16.data(), utf16.data() + utf16.size());
}

ustring16::ustring16(const std::u32string& utf32)
{
	appendUTF32(utf32.data(), utf32.data() + utf32.size());
}

ustring16& ustring16::operator=(const char* utf8)
{
	unit_string& Units = units();
	Units.clear();
	if (utf8)
		appendUTF8(utf8, utf8 + std::strlen(utf8));
	return *this;
}

void ustring16::appendUTF8(const char* begin, const char* end)
{
	unit_string& Units = units();
	const size_t start = Units.size();
	// A UTF-8 text never has more code units than bytes.
	Units.resize(start + static_cast<size_t>(end - begin));
	uchar16_t* out = &Units[0] + start;
	try
	{
		uchar16_t* last = utf8::utf8to16(begin, end, out);
		Units.resize(static_cast<size_t>(last - Units.data()));
		return;
	}
	catch (const utf8::exception&)
	{
	}
	// Rare path: rewrite the bytes with U+FFFD for every broken sequence.
	std::string repaired;
	repaired.reserve(static_cast<size_t>(end - begin) + 16);
	utf8::replace_invalid(begin, end, std::back_inserter(repaired), REPLACEMENT);
	Units.resize(start + repaired.size());
	out = &Units[0] + start;
	uchar16_t* last = utf8::unchecked::utf8to16(repaired.begin(), repaired.end(), out);
	Units.resize(static_cast<size_t>(last - Units.data()));
}

void ustring16::appendUTF16(const uchar16_t* begin, const uchar16_t* end)
{
	unit_string& Units = units();
	Units.reserve(Units.size() + static_cast<size_t>(end - begin));
	for (const uchar16_t* p = begin; p != end; ++p)
	{
		if (isHighSurrogate(*p) && p + 1 != end && isLowSurrogate(p[1]))
		{
			Units.push_back(p[0]);
			Units.push_back(p[1]);
			++p;
		}
		else if (isHighSurrogate(*p) || isLowSurrogate(*p))
		{
			Units.push_back(static_cast<uchar16_t>(REPLACEMENT));
		}
		else
		{
			Units.push_back(*p);
		}
	}
}

void ustring16::appendUTF32(const uchar32_t* begin, const uchar32_t* end)
{
	unit_string& Units = units();
	Units.reserve(Units.size() + static_cast<size_t>(end - begin));
	for (const uchar32_t* p = begin; p != end; ++p)
		pushCodePoint(Units, *p);
}

void ustring16::appendASCII(const char* text)
{
	unit_string& Units = units();
	for (; *text; ++text)
		Units.push_back(static_cast<uchar16_t>(static_cast<unsigned char>(*text)));
}

ustring16& ustring16::loadDataStream(const char* data, size_t length)
{
	unit_string& Units = units();
	Units.clear();
	if (!data)
		return *this;
	const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
	// UTF-32 LE first: its mark begins with the UTF-16 LE mark.
	if (length >= 4 && bytes[0] == 0xFF && bytes[1] == 0xFE && bytes[2] == 0 && bytes[3] == 0)
	{
		Units.reserve((length - 4) / 4);
		size_t i = 4;
		for (; i + 4 <= length; i += 4)
			pushCodePoint(Units, readLE32(bytes + i));
		if (i != length)
			pushCodePoint(Units, REPLACEMENT);
	}
	else if (length >= 4 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0xFE && bytes[3] == 0xFF)
	{
		Units.reserve((length - 4) / 4);
		size_t i = 4;
		for (; i + 4 <= length; i += 4)
			pushCodePoint(Units, readBE32(bytes + i));
		if (i != length)
			pushCodePoint(Units, REPLACEMENT);
	}
	else if (length >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
	{
		const bool little = bytes[0] == 0xFF;
		unit_string raw;
		raw.reserve((length - 2) / 2);
		size_t i = 2;
		for (; i + 2 <= length; i += 2)
			raw.push_back(static_cast<uchar16_t>(little ? readLE16(bytes + i) : readBE16(bytes + i)));
		appendUTF16(raw.data(), raw.data() + raw.size());
		if (i != length)
			pushCodePoint(Units, REPLACEMENT);
	}
	else if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
	{
		appendUTF8(data + 3, data + length);
	}
	else
	{
		appendUTF8(data, data + length);
	}
	return *this;
}

std::string ustring16::toUTF8_std() const
{
	const unit_string& Units = units();
	// One code unit never needs more than three bytes.
	std::string out(Units.size() * 3, '\0');
	char* first = &out[0];
	try
	{
		char* last = utf8::utf16to8(Units.begin(), Units.end(), first);
		out.resize(static_cast<size_t>(last - first));
		return out;
	}
	catch (const utf8::exception&)
	{
	}
	// Unreachable while the content stays well-formed; kept as a safe fallback.
	out.clear();
	size_t i = 0;
	while (i < Units.size())
		utf8::append(sanitize(decodeAt(Units, i)), std::back_inserter(out));
	return out;
}

stringc ustring16::toUTF8_s() const
{
	const std::string text = toUTF8_std();
	return stringc(text.data(), static_cast<u32>(text.size()));
}

std::u32string ustring16::toUTF32_s() const
{
	const unit_string& Units = units();
	std::u32string out;
	out.reserve(Units.size());
	size_t i = 0;
	while (i < Units.size())
		out.push_back(sanitize(decodeAt(Units, i)));
	return out;
}

std::wstring ustring16::toWCHAR_std() const
{
	const unit_string& Units = units();
	if (sizeof(wchar_t) == 4)
	{
		std::wstring out;
		out.reserve(Units.size());
		size_t i = 0;
		while (i < Units.size())
			out.push_back(static_cast<wchar_t>(sanitize(decodeAt(Units, i))));
		return out;
	}
	return std::wstring(Units.begin(), Units.end());
}

stringw ustring16::toWCHAR_s() const
{
	const std::wstring text = toWCHAR_std();
	return stringw(text.data(), static_cast<u32>(text.size()));
}

u32 ustring16::size() const
{
	const unit_string& Units = units();
	size_t count = Units.size();
	for (size_t i = 0; i + 1 < Units.size(); ++i)
		if (isHighSurrogate(Units[i]) && isLowSurrogate(Units[i + 1]))
			--count;
	return static_cast<u32>(count);
}

size_t ustring16::unitOffset(u32 index) const
{
	const unit_string& Units = units();
	size_t i = 0;
	for (u32 n = 0; n < index; ++n)
	{
		if (i >= Units.size())
			return unit_string::npos;
		decodeAt(Units, i);
	}
	return i;
}

uchar32_t ustring16::charAt(u32 index) const
{
	const unit_string& Units = units();
	size_t i = unitOffset(index);
	if (i == unit_string::npos || i >= Units.size())
		return 0;
	return decodeAt(Units, i);
}

uchar32_t ustring16::lastChar() const
{
	const unit_string& Units = units();
	if (Units.empty())
		return 0;
	size_t i = Units.size() - 1;
	if (i > 0 && isLowSurrogate(Units[i]) && isHighSurrogate(Units[i - 1]))
		--i;
	return decodeAt(Units, i);
}

bool ustring16::equalsn(const ustring16& other, u32 n) const
{
	const unit_string& Units = units();
	size_t a = unitOffset(n);
	size_t b = other.unitOffset(n);
	if (a == unit_string::npos)
		a = Units.size();
	if (b == unit_string::npos)
		b = other.units().size();
	return a == b && Units.compare(0, a, other.units(), 0, b) == 0;
}

ustring16& ustring16::operator+=(const ustring16& other)
{
	return append(other);
}

ustring16& ustring16::operator+=(char c)
{
	// Widened with its sign: negative chars are no code point and become U+FFFD.
	return append(static_cast<uchar32_t>(static_cast<int>(c)));
}

ustring16& ustring16::operator+=(uchar32_t c)
{
	return append(c);
}

ustring16& ustring16::operator+=(short number)
{
	return *this += static_cast<long long>(number);
}
ustring16& ustring16::operator+=(unsigned short number)
{
	return *this += static_cast<unsigned long long>(number);
}
ustring16& ustring16::operator+=(int number)
{
	return *this += static_cast<long long>(number);
}
ustring16& ustring16::operator+=(unsigned int number)
{
	return *this += static_cast<unsigned long long>(number);
}
ustring16& ustring16::operator+=(long number)
{
	return *this += static_cast<long long>(number);
}
ustring16& ustring16::operator+=(unsigned long number)
{
	return *this += static_cast<unsigned long long>(number);
}

ustring16& ustring16::operator+=(long long number)
{
	char text[orv::INTEGER_TEXT_SIZE];
	orv::formatSigned(number, text);
	appendASCII(text);
	return *this;
}

ustring16& ustring16::operator+=(unsigned long long number)
{
	char text[orv::INTEGER_TEXT_SIZE];
	orv::formatUnsigned(number, text);
	appendASCII(text);
	return *this;
}

ustring16& ustring16::operator+=(double number)
{
	char text[orv::DECIMAL_TEXT_SIZE];
	orv::formatDecimal(number, text);
	appendASCII(text);
	return *this;
}

ustring16 ustring16::operator+(const ustring16& other) const
{
	ustring16 result;
	if (empty() && other.empty())
		return result;
	unit_string& sum = result.units();
	sum.reserve(units().size() + other.units().size());
	sum = units();
	sum += other.units();
	return result;
}

ustring16& ustring16::append(uchar32_t c)
{
	unit_string& Units = units();
	pushCodePoint(Units, c);
	return *this;
}

ustring16& ustring16::append(const ustring16& other)
{
	if (!other.empty())
		units() += other.units();
	return *this;
}

ustring16& ustring16::append(const ustring16& other, u32 length)
{
	unit_string& Units = units();
	size_t end = other.unitOffset(length);
	if (end == unit_string::npos)
		end = other.units().size();
	Units.append(other.units(), 0, end);
	return *this;
}

void ustring16::reserve(u32 count)
{
	unit_string& Units = units();
	Units.reserve(std::min(count, MAX_RESERVE));
}

s32 ustring16::findFirst(uchar32_t c) const
{
	return findNext(c, 0);
}

s32 ustring16::findNext(uchar32_t c, u32 startPos) const
{
	const unit_string& Units = units();
	size_t i = unitOffset(startPos);
	if (i == unit_string::npos)
		return -1;
	for (s32 index = static_cast<s32>(startPos); i < Units.size(); ++index)
		if (decodeAt(Units, i) == c)
			return index;
	return -1;
}

s32 ustring16::findLast(uchar32_t c, s32 start) const
{
	const unit_string& Units = units();
	s32 found = -1;
	size_t i = 0;
	for (s32 index = 0; i < Units.size(); ++index)
	{
		if (start >= 0 && index > start)
			break;
		if (decodeAt(Units, i) == c)
			found = index;
	}
	return found;
}

s32 ustring16::find(const ustring16& str, u32 start) const
{
	const unit_string& Units = units();
	if (str.units().empty())
		return -1;
	size_t i = unitOffset(start);
	if (i == unit_string::npos)
		return -1;
	const size_t at = CUnitSearch(str.units()).next(Units, i);
	if (at == unit_string::npos)
		return -1;
	s32 index = static_cast<s32>(start);
	for (; i < at; ++index)
		decodeAt(Units, i);
	return index;
}

u32 ustring16::count(const ustring16& str) const
{
	if (str.units().empty())
		return 0;
	const CUnitSearch search(str.units());
	u32 found = 0;
	for (size_t at = search.next(units(), 0); at != unit_string::npos;
		 at = search.next(units(), at + str.units().size()))
		++found;
	return found;
}

s32 ustring16::findFirstCharNotInList(const ustring16& list) const
{
	const unit_string& Units = units();
	const CCharacterSet set(list);
	size_t i = 0;
	for (s32 index = 0; i < Units.size(); ++index)
		if (!set.holds(decodeAt(Units, i)))
			return index;
	return -1;
}

s32 ustring16::findLastCharNotInList(const ustring16& list) const
{
	const unit_string& Units = units();
	const CCharacterSet set(list);
	s32 found = -1;
	size_t i = 0;
	for (s32 index = 0; i < Units.size(); ++index)
		if (!set.holds(decodeAt(Units, i)))
			found = index;
	return found;
}

ustring16 ustring16::subString(u32 begin, u32 length) const
{
	const unit_string& Units = units();
	ustring16 result;
	const size_t from = unitOffset(begin);
	if (from == unit_string::npos || length == 0)
		return result;
	size_t to = from;
	for (u32 n = 0; n < length && to < Units.size(); ++n)
		decodeAt(Units, to);
	result.units().assign(Units, from, to - from);
	return result;
}

ustring16& ustring16::replace(uchar32_t toReplace, uchar32_t replaceWith)
{
	ustring16 from, to;
	from.append(toReplace);
	to.append(replaceWith);
	// An invalid code point to look for is stored nowhere: nothing matches.
	if (sanitize(toReplace) != toReplace)
		return *this;
	return replace(from, to);
}

ustring16& ustring16::replace(const ustring16& toReplace, const ustring16& replaceWith)
{
	unit_string& Units = units();
	if (toReplace.units().empty())
		return *this;
	const CUnitSearch search(toReplace.units());
	unit_string result;
	result.reserve(Units.size());
	size_t i = 0;
	for (size_t at; (at = search.next(Units, i)) != unit_string::npos; i = at + toReplace.units().size())
	{
		result.append(Units, i, at - i);
		result += replaceWith.units();
	}
	result.append(Units, i, unit_string::npos);
	Units.swap(result);
	return *this;
}

ustring16& ustring16::remove(uchar32_t c)
{
	if (sanitize(c) != c)
		return *this;
	ustring16 text;
	text.append(c);
	return remove(text);
}

ustring16& ustring16::remove(const ustring16& toRemove)
{
	return replace(toRemove, ustring16());
}

ustring16& ustring16::removeChars(const ustring16& characters)
{
	unit_string& Units = units();
	const CCharacterSet set(characters);
	unit_string result;
	result.reserve(Units.size());
	size_t i = 0;
	while (i < Units.size())
	{
		const size_t from = i;
		if (!set.holds(decodeAt(Units, i)))
			result.append(Units, from, i - from);
	}
	Units.swap(result);
	return *this;
}

ustring16& ustring16::trim(const ustring16& whitespace)
{
	const CCharacterSet set(whitespace);
	unit_string& Units = units();
	// Code unit offsets of the first kept character and past the last.
	size_t begin = unit_string::npos;
	size_t end = 0;
	for (size_t i = 0; i < Units.size();)
	{
		const size_t at = i;
		if (set.holds(decodeAt(Units, i)))
			continue;
		if (begin == unit_string::npos)
			begin = at;
		end = i;
	}
	if (begin == unit_string::npos)
		*this = ustring16();
	else
		Units = Units.substr(begin, end - begin);
	return *this;
}

ustring16& ustring16::erase(u32 index)
{
	unit_string& Units = units();
	size_t from = unitOffset(index);
	if (from == unit_string::npos || from >= Units.size())
		return *this;
	size_t to = from;
	decodeAt(Units, to);
	Units.erase(from, to - from);
	return *this;
}

ustring16& ustring16::validate()
{
	unit_string old;
	old.swap(units());
	appendUTF16(old.data(), old.data() + old.size());
	return *this;
}

ustring16& ustring16::insert(uchar32_t c, u32 pos)
{
	ustring16 text;
	text.append(c);
	return insert(text, pos);
}

ustring16& ustring16::insert(const ustring16& str, u32 pos)
{
	unit_string& Units = units();
	const size_t at = unitOffset(pos);
	if (at != unit_string::npos)
		Units.insert(at, str.units());
	return *this;
}

} // end namespace core
} // end namespace irr
