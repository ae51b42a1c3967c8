#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "base/MemoryAccount.h"

#include <irrString.h>
#include <irrTypes.h>

namespace irr {
namespace core {

typedef unsigned char uchar8_t;
typedef char16_t uchar16_t;
typedef char32_t uchar32_t;

//! A string's code units, counted to the memory account of the thread that
//! makes them (see base/MemoryAccount.h).
typedef std::basic_string<char16_t, std::char_traits<char16_t>, orv::SCountedAllocator<char16_t>> unit_string;

//! Unicode text held as UTF-16 code units.
/** The content is always well-formed UTF-16: every way in replaces invalid
    input (bad UTF-8, lone surrogates, code points above U+10FFFF) by U+FFFD,
    so the conversions out never meet a broken sequence.
    Every index and length taken or returned by the members counts characters
    (code points, a surrogate pair being one), never code units; an index past
    the end leaves the string unchanged or gives -1 / an empty result. */
class ustring16
{
public:
	//! Largest number of code units `reserve` asks for; more is surely a mistake.
	static constexpr u32 MAX_RESERVE = 1u << 24;

	ustring16() = default;
	ustring16(const ustring16& other);
	ustring16(ustring16&& other) noexcept;
	ustring16& operator=(const ustring16& other);
	ustring16& operator=(ustring16&& other) noexcept;
	~ustring16();

	//! NUL-terminated UTF-8 text; null gives an empty string.
	ustring16(const char* utf8);
	//! A byte stream of the given length: see loadDataStream (UTF-8 unless it
	//! starts with a UTF-16 or UTF-32 byte-order mark).
	ustring16(const char* data, u32 lengthInBytes);
	//! NUL-terminated UTF-16 text.
	ustring16(const uchar16_t* utf16);
	ustring16(const uchar16_t* utf16, u32 count);
	//! NUL-terminated UTF-32 text.
	ustring16(const uchar32_t* utf32);
	//! NUL-terminated wchar_t text (UTF-32 where wchar_t has 32 bits, UTF-16 where it has 16).
	ustring16(const wchar_t* text);
	ustring16(const stringc& utf8);
	ustring16(const stringw& text);
	explicit ustring16(const std::string& utf8);
	explicit ustring16(const std::u16string& utf16);
	explicit ustring16(const std::u32string& utf32);

	//! Assigns NUL-terminated UTF-8 text.
	ustring16& operator=(const char* utf8);

	//! Replaces the content by a byte stream. A byte-order mark selects the
	//! encoding (UTF-32 LE, UTF-32 BE, UTF-16 LE, UTF-16 BE, UTF-8) and is not
	//! kept; without one the bytes are UTF-8. A trailing partial code unit
	//! counts as an invalid sequence.
	ustring16& loadDataStream(const char* data, size_t length);

	stringc toUTF8_s() const;
	std::string toUTF8_std() const;
	stringw toWCHAR_s() const;
	std::wstring toWCHAR_std() const;
	std::u32string toUTF32_s() const;
	std::u16string_view toUTF16_std() const { return units(); }

	//! NUL-terminated code units.
	const uchar16_t* c_str() const { return units().c_str(); }
	//! Number of characters; a surrogate pair counts once.
	u32 size() const;
	//! Number of UTF-16 code units.
	u32 size_raw() const { return static_cast<u32>(units().size()); }
	// Attributes ask for every number they store; it reads the pointer alone.
	bool empty() const
	{
		const unit_string* p = body();
		return !p || p->empty();
	}
	//! The character at an index, 0 past the end.
	uchar32_t charAt(u32 index) const;
	//! The last character, 0 when empty.
	uchar32_t lastChar() const;

	bool operator==(const ustring16& other) const { return units() == other.units(); }
	bool operator!=(const ustring16& other) const { return units() != other.units(); }
	//! Orders by code units: the first differing unit decides, a prefix sorts first.
	bool operator<(const ustring16& other) const { return units() < other.units(); }
	//! True when the first n characters of both strings are equal (a string
	//! shorter than n must then equal the other in full).
	bool equalsn(const ustring16& other, u32 n) const;

	ustring16& operator+=(const ustring16& other);
	//! One character whose code is the value widened with its sign.
	ustring16& operator+=(char c);
	//! One character by its code point (not its digits).
	ustring16& operator+=(uchar32_t c);
	//! Decimal text of the number.
	ustring16& operator+=(short number);
	ustring16& operator+=(unsigned short number);
	ustring16& operator+=(int number);
	ustring16& operator+=(unsigned int number);
	ustring16& operator+=(long number);
	ustring16& operator+=(unsigned long number);
	ustring16& operator+=(long long number);
	ustring16& operator+=(unsigned long long number);
	//! The number with six decimals ("%0.6f").
	ustring16& operator+=(double number);
	ustring16 operator+(const ustring16& other) const;

	//! Appends one character; an invalid code point appends U+FFFD.
	ustring16& append(uchar32_t c);
	ustring16& append(const ustring16& other);
	//! Appends at most `length` characters of `other`.
	ustring16& append(const ustring16& other, u32 length);
	//! Asks for room for that many code units, capped at MAX_RESERVE.
	void reserve(u32 count);

	//! Index of the first occurrence, -1 when absent.
	s32 findFirst(uchar32_t c) const;
	//! Index of the first occurrence at or after startPos, -1 when absent.
	s32 findNext(uchar32_t c, u32 startPos) const;
	//! Index of the last occurrence at or before start; a negative start or one
	//! past the end searches from the last character. -1 when absent.
	s32 findLast(uchar32_t c, s32 start = -1) const;
	//! Index of the first occurrence of a text at or after start; -1 when absent
	//! or when the text is empty.
	s32 find(const ustring16& str, u32 start = 0) const;
	//! Occurrences of a text as `replace` meets them: left to right, not
	//! overlapping; 0 for an empty text.
	u32 count(const ustring16& str) const;
	//! Index of the first character not in `list`, -1 when none.
	s32 findFirstCharNotInList(const ustring16& list) const;
	//! Index of the last character not in `list`, -1 when none.
	s32 findLastCharNotInList(const ustring16& list) const;
	//! `length` characters from `begin`, clipped to the end.
	ustring16 subString(u32 begin, u32 length) const;

	//! Replaces every occurrence of one character by another.
	ustring16& replace(uchar32_t toReplace, uchar32_t replaceWith);
	//! Replaces every occurrence of a text, left to right, without overlaps.
	//! An empty text to replace changes nothing.
	ustring16& replace(const ustring16& toReplace, const ustring16& replaceWith);
	ustring16& remove(uchar32_t c);
	ustring16& remove(const ustring16& toRemove);
	//! Removes every character that occurs in `characters`.
	ustring16& removeChars(const ustring16& characters);
	//! Strips the characters of `whitespace` from both ends, in place.
	ustring16& trim(const ustring16& whitespace = ustring16(" \t\n\r"));
	//! Removes the character at an index.
	ustring16& erase(u32 index);
	//! Replaces every lone surrogate by U+FFFD.
	ustring16& validate();
	//! Inserts a character before the character at pos; pos == size() appends.
	ustring16& insert(uchar32_t c, u32 pos);
	ustring16& insert(const ustring16& str, u32 pos);

private:
	// Code unit offset of a character index; npos when index > size().
	size_t unitOffset(u32 index) const;
	void appendUTF8(const char* begin, const char* end);
	void appendUTF16(const uchar16_t* begin, const uchar16_t* end);
	void appendUTF32(const uchar32_t* begin, const uchar32_t* end);
	void appendASCII(const char* text);

	// Script engines place values at 4-byte boundaries, so the string holds
	// nothing that needs more: the units live on the heap, behind a pointer
	// kept as plain bytes. No pointer means empty.
	unit_string* body() const
	{
		unit_string* p;
		std::memcpy(&p, Body, sizeof p);
		return p;
	}
	void setBody(unit_string* p) { std::memcpy(Body, &p, sizeof p); }
	// The units for writing, created on first use.
	unit_string& units();
	const unit_string& units() const;

	alignas(4) unsigned char Body[sizeof(unit_string*)] = {};
};

inline ustring16 operator+(const char* left, const ustring16& right)
{
	return ustring16(left) + right;
}

} // end namespace core
} // end namespace irr
