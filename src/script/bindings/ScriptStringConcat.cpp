#include "script/bindings/ScriptStringConcat.h"
#include "script/bindings/ScriptStringLimit.h"

namespace orv::script {

using irr::core::ustring16;

namespace {

// The number's text comes from ustring16's own formatting, which prints the
// minimum of every width in full and any double without overflowing.
template <class Number> ustring16 withNumber(const ustring16& self, Number number)
{
	ustring16 result(self);
	result += number;
	return result;
}

} // namespace

ustring16 addString(const ustring16& self, const ustring16& other)
{
	return mayGrowString(self, other.size_raw()) ? self + other : ustring16();
}

ustring16 addStringInt16(const ustring16& self, short number)
{
	return withNumber(self, number);
}

ustring16 addStringUInt16(const ustring16& self, unsigned short number)
{
	return withNumber(self, number);
}

ustring16 addStringInt(const ustring16& self, int number)
{
	return withNumber(self, number);
}

ustring16 addStringUInt(const ustring16& self, unsigned int number)
{
	return withNumber(self, number);
}

ustring16 addStringFloat(const ustring16& self, float number)
{
	return withNumber(self, static_cast<double>(number));
}

ustring16 addStringDouble(const ustring16& self, double number)
{
	return withNumber(self, number);
}

bool equalsString(const ustring16& self, const ustring16& other)
{
	return self == other;
}

} // namespace orv::script
