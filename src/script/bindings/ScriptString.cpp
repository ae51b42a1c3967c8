// The script type "string": ustring16 held by value, with its constructors,
// operators, members and the factory that turns literals into strings.
#include "script/bindings/ScriptTypes.h"

#include "base/ustring16.h"
#include "script/bindings/ScriptStringConcat.h"
#include "script/bindings/ScriptStringLimit.h"
#include "script/bindings/ValueTypeRows.h"

#include <angelscript.h>

#include <new>
#include <string>

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::s32;
using irr::u32;
using irr::core::stringc;
using irr::core::uchar32_t;
using irr::core::ustring16;

// Literals are loaded as byte streams: UTF-8 unless they start with a UTF-16
// or UTF-32 byte-order mark. Every constant is its own object, released with
// the module that holds it.
class CStringFactory : public asIStringFactory
{
public:
	const void* GetStringConstant(const char* data, asUINT length) override
	{
		return new (std::nothrow) ustring16(data, length);
	}

	int ReleaseStringConstant(const void* str) override
	{
		if (!str)
			return asERROR;
		delete static_cast<const ustring16*>(str);
		return asSUCCESS;
	}

	// UTF-8 bytes that load back to the same text. A text that itself starts
	// with U+FEFF gets one more mark in front, since loading drops the first.
	int GetRawStringData(const void* str, char* data, asUINT* length) const override
	{
		if (!str)
			return asERROR;
		const ustring16& text = *static_cast<const ustring16*>(str);
		std::string bytes;
		if (!text.empty() && text.c_str()[0] == 0xFEFF)
			bytes = "\xEF\xBB\xBF";
		bytes += text.toUTF8_std();
		if (length)
			*length = static_cast<asUINT>(bytes.size());
		if (data)
			bytes.copy(data, bytes.size());
		return asSUCCESS;
	}
};

CStringFactory StringFactory;

// Numbers become text through the narrow string, read back as UTF-8; the
// digits, sign and point are plain ASCII. The formatting itself is ustring16's,
// which prints INT_MIN and any double in full.
template <class Number> void constructStringFromNumber(Number number, void* memory)
{
	ustring16* text = new (memory) ustring16();
	*text += number;
}

void constructStringFromDouble(double number, void* memory)
{
	constructStringFromNumber(number, memory);
}

void constructStringFromInt(int number, void* memory)
{
	constructStringFromNumber(number, memory);
}

void constructStringFromUInt(unsigned int number, void* memory)
{
	constructStringFromNumber(number, memory);
}

void destructString(void* memory)
{
	static_cast<ustring16*>(memory)->~ustring16();
}

// The members whose declarations leave out a trailing parameter get the
// member's own default here; a direct binding would pass garbage for it.
s32 findLastFromEnd(const ustring16& self, uchar32_t c)
{
	return self.findLast(c);
}

ustring16& trimInPlace(ustring16& self)
{
	return self.trim();
}

// For const strings (literals above all): trimming in place would change the
// module's shared constant, so the const form trims a copy.
ustring16 trimmedCopy(const ustring16& self)
{
	ustring16 copy(self);
	copy.trim();
	return copy;
}

// A copy takes as much memory again: past the scripts' bound the copy
// stays empty, or the string as it was, with the exception raised.
void constructCopy(const ustring16& other, void* memory)
{
	ustring16* text = new (memory) ustring16();
	if (mayGrowString(*text, other.size_raw()))
		*text = other;
}

ustring16& assignString(ustring16& self, const ustring16& other)
{
	if (&self != &other && other.size_raw() > self.size_raw() &&
		!mayGrowString(ustring16(), other.size_raw() - self.size_raw()))
		return self;
	return self = other;
}

// The members that take a whole string grow by up to its length.
ustring16& addAssignString(ustring16& self, const ustring16& other)
{
	return mayGrowString(self, other.size_raw()) ? self += other : self;
}

ustring16& appendString(ustring16& self, const ustring16& other)
{
	return mayGrowString(self, other.size_raw()) ? self.append(other) : self;
}

ustring16& appendStringPart(ustring16& self, const ustring16& other, u32 length)
{
	return mayGrowString(self, other.size_raw()) ? self.append(other, length) : self;
}

ustring16& insertString(ustring16& self, const ustring16& other, u32 pos)
{
	return mayGrowString(self, other.size_raw()) ? self.insert(other, pos) : self;
}

ustring16& replaceString(ustring16& self, const ustring16& what, const ustring16& with)
{
	return mayGrowString(self, replacementGrowth(self, what, with)) ? self.replace(what, with) : self;
}

const SBehaviourRow Behaviours[] = {
	{asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructValue<ustring16>)},
	{asBEHAVE_CONSTRUCT, "void f(const string &in)", asFUNCTION(constructCopy)},
	{asBEHAVE_CONSTRUCT, "void f(double)", asFUNCTION(constructStringFromDouble)},
	{asBEHAVE_CONSTRUCT, "void f(int)", asFUNCTION(constructStringFromInt)},
	{asBEHAVE_CONSTRUCT, "void f(uint)", asFUNCTION(constructStringFromUInt)},
	{asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destructString)},
};

const asDWORD THIS = asCALL_THISCALL;
const asDWORD OBJFIRST = asCALL_CDECL_OBJFIRST;

const SMethodRow Methods[] = {
	{"string& opAssign(const string &in)", asFUNCTION(assignString), OBJFIRST},
	{"string opAdd(const string &in) const", asFUNCTION(addString), OBJFIRST},
	{"string opAdd(int16) const", asFUNCTION(addStringInt16), OBJFIRST},
	{"string opAdd(uint16) const", asFUNCTION(addStringUInt16), OBJFIRST},
	{"string opAdd(int) const", asFUNCTION(addStringInt), OBJFIRST},
	{"string opAdd(uint) const", asFUNCTION(addStringUInt), OBJFIRST},
	{"string opAdd(float) const", asFUNCTION(addStringFloat), OBJFIRST},
	{"string opAdd(double) const", asFUNCTION(addStringDouble), OBJFIRST},
	{"string& opAddAssign(const string &in)", asFUNCTION(addAssignString), OBJFIRST},
	{"string& opAddAssign(int8)", asMETHODPR(ustring16, operator+=, (char), ustring16&), THIS},
	{"string& opAddAssign(int16)", asMETHODPR(ustring16, operator+=, (short), ustring16&), THIS},
	{"string& opAddAssign(uint16)", asMETHODPR(ustring16, operator+=, (unsigned short), ustring16&), THIS},
	{"string& opAddAssign(uint)", asMETHODPR(ustring16, operator+=, (uchar32_t), ustring16&), THIS},
	{"string& opAddAssign(double)", asMETHODPR(ustring16, operator+=, (double), ustring16&), THIS},
	{"bool opEquals(const string &in) const", asFUNCTION(equalsString), OBJFIRST},
	// A full three-way order by code units, so that <, <=, > and >= work.
	{"int opCmp(const string &in) const", asFUNCTION(compareOrder<ustring16>), OBJFIRST},
	{"uint size() const", asMETHOD(ustring16, size), THIS},
	{"bool empty() const", asMETHOD(ustring16, empty), THIS},
	{"bool equalsn(const string &in, uint) const", asMETHOD(ustring16, equalsn), THIS},
	{"string& append(uint)", asMETHODPR(ustring16, append, (uchar32_t), ustring16&), THIS},
	{"string& append(const string &in)", asFUNCTION(appendString), OBJFIRST},
	{"string& append(const string &in, uint)", asFUNCTION(appendStringPart), OBJFIRST},
	{"void reserve(uint)", asMETHOD(ustring16, reserve), THIS},
	{"int findFirst(uint) const", asMETHOD(ustring16, findFirst), THIS},
	{"int findNext(uint, u32) const", asMETHOD(ustring16, findNext), THIS},
	{"int findLast(uint) const", asFUNCTION(findLastFromEnd), OBJFIRST},
	{"int findLast(uint, int) const", asMETHOD(ustring16, findLast), THIS},
	{"int find(const string &in str, u32 start = 0) const", asMETHOD(ustring16, find), THIS},
	{"string subString(uint begin, uint length) const", asMETHOD(ustring16, subString), THIS},
	{"string& replace(uint toReplace, uint replaceWith)",
		asMETHODPR(ustring16, replace, (uchar32_t, uchar32_t), ustring16&), THIS},
	{"string& replace(const string &in toReplace, const string &in replaceWith)", asFUNCTION(replaceString), OBJFIRST},
	{"string& remove(uint c)", asMETHODPR(ustring16, remove, (uchar32_t), ustring16&), THIS},
	{"string& remove(const string &in toRemove)", asMETHODPR(ustring16, remove, (const ustring16&), ustring16&), THIS},
	{"string& removeChars(const string &in characters)", asMETHOD(ustring16, removeChars), THIS},
	{"string& trim()", asFUNCTION(trimInPlace), OBJFIRST},
	{"string trim() const", asFUNCTION(trimmedCopy), OBJFIRST},
	{"string& trim(const string &in)", asMETHOD(ustring16, trim), THIS},
	{"string& erase(u32)", asMETHOD(ustring16, erase), THIS},
	{"string& validate()", asMETHOD(ustring16, validate), THIS},
	{"uint lastChar() const", asMETHOD(ustring16, lastChar), THIS},
	{"string& insert(uint c, u32 pos)", asMETHODPR(ustring16, insert, (uchar32_t, u32), ustring16&), THIS},
	{"string& insert(const string &in c, u32 pos)", asFUNCTION(insertString), OBJFIRST},
};

} // namespace

// The engine keeps value types in its stack at 4-byte boundaries.
static_assert(alignof(ustring16) <= 4, "script strings are placed at 4-byte boundaries");

void declareStringType(asIScriptEngine* engine)
{
	engine->RegisterObjectType("string", sizeof(ustring16), asOBJ_VALUE | asGetTypeTraits<ustring16>());
}

void registerString(asIScriptEngine* engine)
{
	registerRows(engine, SDeclNames{"string", "", "", ""}, Behaviours, Methods);
	engine->RegisterStringFactory("string", &StringFactory);
}

} // namespace orv::script
