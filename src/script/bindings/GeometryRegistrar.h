#pragma once
// What every value-type registrar shares: the declaration text stream, the
// type flags, the constructor from arguments, the one empty destructor, the
// natives of plain operators and of opCmp, the companion type names and the
// one guard against integer divisions that would trap.

#include <angelscript.h>
#include <irrTypes.h>

#include <new>
#include <string>
#include <string_view>
#include <type_traits>

namespace orv::script {

using AngelScript::asDWORD;
using AngelScript::asIScriptEngine;

// Companion names for a scalar name: base + "f" for exactly "f32", base + "i"
// for exactly "s32", empty text otherwise.
std::string getVector2dTypeName(std::string_view scalarName);
std::string getVector3dTypeName(std::string_view scalarName);
std::string getDimension2dTypeName(std::string_view scalarName);

// The script typedef each scalar of the family is declared with.
template <class S> constexpr const char* scalarName();
template <> constexpr const char* scalarName<irr::f32>()
{
	return "f32";
}
template <> constexpr const char* scalarName<irr::s32>()
{
	return "s32";
}

// One text stream per registrar call: each call empties it, appends the pieces
// and hands out the text, which stays valid until the next call.
class CDeclStream
{
public:
	template <class... Pieces> const char* operator()(const Pieces&... pieces)
	{
		Text.clear();
		(Text.append(std::string_view(pieces)), ...);
		return Text.c_str();
	}

private:
	std::string Text;
};

// x86-64 returns small trivially copyable classes in registers, so the engine
// must know what the native type really is; the flags come from the compiler.
template <class S> constexpr asDWORD allScalarsFlag()
{
	return std::is_floating_point_v<S> ? AngelScript::asOBJ_APP_CLASS_ALLFLOATS : AngelScript::asOBJ_APP_CLASS_ALLINTS;
}

// Types that register no opAssign need asOBJ_POD, or scripts cannot copy them.
enum EValueCopy
{
	EVC_OWN_ASSIGN,
	EVC_POD
};

template <class T, class Scalar> asDWORD valueTypeFlags(EValueCopy copy)
{
	asDWORD flags = AngelScript::asOBJ_VALUE | AngelScript::asGetTypeTraits<T>() | allScalarsFlag<Scalar>();
	if (copy == EVC_POD)
		flags |= AngelScript::asOBJ_POD;
	return flags;
}

// The constructor of every value type built straight from its arguments; the
// argument types are named in full, since they are the script's calling
// convention and cannot be deduced.
template <class T, class... Args> void constructValue(Args... args, void* memory)
{
	if (memory)
		new (memory) T(args...);
}

// The destructor of every value type that owns nothing.
void destroyValue(void* memory);

// Operators whose native is the type's own C++ operator, returned by value.
template <class A, class B = A> A addValues(const A& a, const B& b)
{
	return a + b;
}
template <class A, class B = A> A subtractValues(const A& a, const B& b)
{
	return a - b;
}
template <class A, class B = A> A multiplyValues(const A& a, const B& b)
{
	return a * b;
}
template <class A> bool equalValues(const A& a, const A& b)
{
	return a == b;
}

// The answer opCmp gives: negative when a sorts first, positive when after,
// zero otherwise, a NaN among them.
template <class K> int compareOrder(const K& a, const K& b)
{
	return a < b ? -1 : (b < a ? 1 : 0);
}

// Sets a script exception on the active context; the native then returns
// without touching its operands.
void raiseScriptException(const char* message);

// False, with "Divide by zero" or "Overflow" raised, when numerator / divisor
// would trap the processor. Floats never trap.
bool checkDivision(irr::s32 numerator, irr::s32 divisor);
inline bool checkDivision(irr::f32, irr::f32)
{
	return true;
}

} // namespace orv::script
