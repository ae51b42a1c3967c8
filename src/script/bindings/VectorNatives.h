#pragma once
// What the 2D and 3D vector bindings share: their behaviours, their operators,
// and the integer divisions that must raise a script exception instead of
// trapping.

#include "script/bindings/GeometryRegistrar.h"

#include <vector2d.h>
#include <vector3d.h>

#include <type_traits>

namespace orv::script {

template <class T> bool checkComponentDivision(const irr::core::vector2d<T>& a, const irr::core::vector2d<T>& divisor)
{
	return checkDivision(a.X, divisor.X) && checkDivision(a.Y, divisor.Y);
}

template <class T> bool checkComponentDivision(const irr::core::vector3d<T>& a, const irr::core::vector3d<T>& divisor)
{
	return checkDivision(a.X, divisor.X) && checkDivision(a.Y, divisor.Y) && checkDivision(a.Z, divisor.Z);
}

template <class V> struct SVectorNatives
{
	using T = decltype(V::X);

	static V div(const V& a, const V& b) { return checkComponentDivision(a, b) ? a / b : a; }
	// Irrlicht's own scalar division: the 3D float form multiplies by the
	// reciprocal, the 2D float form divides, the integer forms divide.
	static V divScalar(const V& a, const T& s) { return checkComponentDivision(a, V(s)) ? a / s : a; }

	// Integer compound divisions check every component before changing any.
	static V& divAssign(V& a, const V& b)
	{
		if (checkComponentDivision(a, b))
			a /= b;
		return a;
	}
	static V& divAssignScalar(V& a, T s)
	{
		if (checkComponentDivision(a, V(s)))
			a /= s;
		return a;
	}

	static bool equals(const V& a, const V& b) { return a.equals(b); }
};

// The behaviours of both vectors; only the constructor from every component
// differs between 2D and 3D, so its declaration and native come from the caller.
template <class V>
void registerVectorBehaviours(asIScriptEngine* engine, const char* type, const char* fromComponentsDeclaration,
	const AngelScript::asSFuncPtr& fromComponents)
{
	using namespace AngelScript;
	using T = decltype(V::X);
	const char* s = scalarName<T>();
	CDeclStream d;

	engine->RegisterObjectBehaviour(
		type, asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructValue<V>), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectBehaviour(type, asBEHAVE_CONSTRUCT, d("void f(const ", type, "&in)"),
		asFUNCTION((constructValue<V, const V&>)), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectBehaviour(
		type, asBEHAVE_CONSTRUCT, d("void f(", s, ")"), asFUNCTION((constructValue<V, T>)), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectBehaviour(
		type, asBEHAVE_CONSTRUCT, fromComponentsDeclaration, fromComponents, asCALL_CDECL_OBJLAST);
	engine->RegisterObjectBehaviour(
		type, asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destroyValue), asCALL_CDECL_OBJLAST);
}

// The operators of both vectors, from opAssign to opCmp.
template <class V> void registerVectorOperators(asIScriptEngine* engine, const char* type)
{
	using namespace AngelScript;
	using N = SVectorNatives<V>;
	using T = decltype(V::X);
	const char* s = scalarName<T>();
	CDeclStream d;

	engine->RegisterObjectMethod(
		type, d(type, "& opAssign(const ", type, " &in)"), asMETHODPR(V, operator=, (const V&), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, " opMul(const ", type, " &in) const"), asFUNCTION(multiplyValues<V>), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, " opMul(const ", s, " &in) const"), asFUNCTION((multiplyValues<V, T>)), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(type, d(type, "& opMulAssign(const ", type, " &in)"),
		asMETHODPR(V, operator*=, (const V&), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, "& opMulAssign(const ", s, ")"), asMETHODPR(V, operator*=, (T), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, " opAdd(const ", type, " &in) const"), asFUNCTION(addValues<V>), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, " opAdd(const ", s, " &in) const"), asFUNCTION((addValues<V, T>)), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(type, d(type, "& opAddAssign(const ", type, " &in)"),
		asMETHODPR(V, operator+=, (const V&), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, "& opAddAssign(const ", s, ")"), asMETHODPR(V, operator+=, (T), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, " opSub(const ", type, " &in) const"), asFUNCTION(subtractValues<V>), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, " opSub(const ", s, " &in) const"), asFUNCTION((subtractValues<V, T>)), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(type, d(type, "& opSubAssign(const ", type, " &in)"),
		asMETHODPR(V, operator-=, (const V&), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, "& opSubAssign(const ", s, ")"), asMETHODPR(V, operator-=, (T), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, " opDiv(const ", type, " &in) const"), asFUNCTION(N::div), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, " opDiv(const ", s, " &in) const"), asFUNCTION(N::divScalar), asCALL_CDECL_OBJFIRST);
	if constexpr (std::is_floating_point_v<T>)
	{
		engine->RegisterObjectMethod(type, d(type, "& opDivAssign(const ", type, " &in)"),
			asMETHODPR(V, operator/=, (const V&), V&), asCALL_THISCALL);
		engine->RegisterObjectMethod(
			type, d(type, "& opDivAssign(const ", s, ")"), asMETHODPR(V, operator/=, (T), V&), asCALL_THISCALL);
	}
	else
	{
		engine->RegisterObjectMethod(
			type, d(type, "& opDivAssign(const ", type, " &in)"), asFUNCTION(N::divAssign), asCALL_CDECL_OBJFIRST);
		engine->RegisterObjectMethod(
			type, d(type, "& opDivAssign(const ", s, ")"), asFUNCTION(N::divAssignScalar), asCALL_CDECL_OBJFIRST);
	}
	engine->RegisterObjectMethod(
		type, d("bool opEquals(const ", type, " &in) const"), asFUNCTION(N::equals), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d("int opCmp(const ", type, " &in) const"), asFUNCTION(compareOrder<V>), asCALL_CDECL_OBJFIRST);
}

} // namespace orv::script
