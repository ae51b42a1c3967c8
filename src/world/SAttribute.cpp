#include "world/SAttribute.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

#include "base/packet.h"

using irr::f32;
using irr::f64;
using irr::s64;
using irr::u32;
using irr::u64;
using irr::u8;

namespace orv {

namespace {

// Truncation toward zero that stays defined for NaN and for magnitudes past
// the 64-bit range: NaN gives 0, the rest saturates.
s64 truncateToInt(f64 value)
{
	if (std::isnan(value))
		return 0;
	if (value >= 9223372036854775808.0)
		return std::numeric_limits<s64>::max();
	if (value < -9223372036854775808.0)
		return std::numeric_limits<s64>::min();
	return static_cast<s64>(value);
}

// Text to number the way a text stream extracts it: leading white space
// skipped, the longest number that fits read, a text that does not start with
// one giving 0.
template <typename T> T extract(const irr::core::ustring16& text)
{
	std::istringstream in(text.toUTF8_std());
	in.imbue(std::locale::classic());
	T value = T();
	in >> value;
	return value;
}

template <typename T> irr::core::ustring16 format(T value)
{
	std::ostringstream out;
	out.imbue(std::locale::classic());
	out << value;
	return irr::core::ustring16(out.str());
}

} // namespace

s64 SAttribute::getInt() const
{
	switch (type)
	{
	case EAT_INT:
	case EAT_UINT:
		return static_cast<s64>(intValue);
	case EAT_FLOAT:
		return truncateToInt(floatValue);
	case EAT_DOUBLE:
		return truncateToInt(doubleValue);
	case EAT_STRING:
		return extract<long long>(textValue);
	default:
		return 0;
	}
}

u64 SAttribute::getUInt() const
{
	switch (type)
	{
	case EAT_INT:
	case EAT_UINT:
		return intValue;
	case EAT_FLOAT:
		return static_cast<u64>(truncateToInt(floatValue));
	case EAT_DOUBLE:
		return static_cast<u64>(truncateToInt(doubleValue));
	case EAT_STRING:
		return extract<unsigned long long>(textValue);
	default:
		return 0;
	}
}

f64 SAttribute::getDouble() const
{
	switch (type)
	{
	case EAT_INT:
		return static_cast<f64>(static_cast<s64>(intValue));
	case EAT_UINT:
		return static_cast<f64>(intValue);
	case EAT_FLOAT:
		return floatValue;
	case EAT_DOUBLE:
		return doubleValue;
	case EAT_STRING:
		return extract<double>(textValue);
	default:
		return 0.0;
	}
}

f32 SAttribute::getFloat() const
{
	switch (type)
	{
	case EAT_INT:
		return static_cast<f32>(static_cast<s64>(intValue));
	case EAT_UINT:
		return static_cast<f32>(intValue);
	case EAT_FLOAT:
		return floatValue;
	case EAT_DOUBLE:
		return static_cast<f32>(doubleValue);
	case EAT_STRING:
		return extract<float>(textValue);
	default:
		return 0.0f;
	}
}

irr::core::ustring16 SAttribute::getString() const
{
	switch (type)
	{
	case EAT_INT:
		return format(static_cast<long long>(intValue));
	case EAT_UINT:
		return format(static_cast<unsigned long long>(intValue));
	case EAT_FLOAT:
		return format(floatValue);
	case EAT_DOUBLE:
		return format(doubleValue);
	case EAT_STRING:
		return textValue;
	default:
		return irr::core::ustring16();
	}
}

void SAttribute::setInt(s64 value)
{
	intValue = static_cast<u64>(value);
	type = EAT_INT;
	forgetText();
}

void SAttribute::setUInt(u64 value)
{
	intValue = value;
	type = EAT_UINT;
	forgetText();
}

void SAttribute::setFloat(f32 value)
{
	floatValue = value;
	type = EAT_FLOAT;
	forgetText();
}

void SAttribute::setDouble(f64 value)
{
	doubleValue = value;
	type = EAT_DOUBLE;
	forgetText();
}

void SAttribute::setString(const irr::core::ustring16& text)
{
	textValue = text;
	type = EAT_STRING;
}

bool SAttribute::readValue(net::packet& data)
{
	const u32 start = data.getReadPosition();
	if (data.getBytesLeft() == 0)
		return true;
	const u8 typeByte = data.readU8();
	if (typeByte == EAT_INVALID)
		return true;

	// Everything is checked before anything is stored, so a refused value
	// leaves the attribute exactly as it was.
	auto refuse = [&]() {
		data.setReadPosition(start);
		return false;
	};
	switch (typeByte)
	{
	case EAT_INT:
	case EAT_UINT:
	{
		const u8 width = data.readU8();
		if (width == 0 || width > 8 || data.getBytesLeft() < width)
			return refuse();
		intValue = data.readInt(width);
		break;
	}
	case EAT_FLOAT:
		if (data.getBytesLeft() < 4)
			return refuse();
		floatValue = data.readFloat();
		break;
	case EAT_DOUBLE:
		if (data.getBytesLeft() < 8)
			return refuse();
		doubleValue = data.readDouble();
		break;
	case EAT_STRING:
	{
		if (data.getBytesLeft() < 1)
			return refuse();
		const u8 width = data.readU8();
		if (width == 0 || width > 8 || data.getBytesLeft() < width)
			return refuse();
		const u64 length = data.readInt(width);
		if (length > data.getBytesLeft())
			return refuse();
		textValue = data.readChars(length);
		type = EAT_STRING;
		return true;
	}
	default:
		return refuse();
	}
	type = static_cast<EAttributeType>(typeByte);
	textValue = irr::core::ustring16();
	return true;
}

} // namespace orv
