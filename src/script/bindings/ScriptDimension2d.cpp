#include "script/bindings/ScriptTypes.h"

#include "script/bindings/GeometryRegistrar.h"

#include <dimension2d.h>

#include <type_traits>

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::u32;

template <class T> struct SDimensionNatives
{
	using D = irr::core::dimension2d<T>;

	static D div(const D& self, const T& scale)
	{
		if (!checkDivision(self.Width, scale) || !checkDivision(self.Height, scale))
			return self;
		return D(self.Width / scale, self.Height / scale);
	}
	static D& divAssign(D& self, const T& scale)
	{
		if (checkDivision(self.Width, scale) && checkDivision(self.Height, scale))
			self /= scale;
		return self;
	}

	// Irrlicht doubles a power of two until it reaches the side, which never
	// ends for sides above 2^31 (negative integers among them), and reads a
	// float side through an unsigned cast that must stay in range.
	static bool sideFits(T side, bool requirePowerOfTwo)
	{
		if constexpr (std::is_floating_point_v<T>)
		{
			if (!(side > T(-1) && side < T(4294967296.0)))
				return false;
		}
		return !requirePowerOfTwo || static_cast<u32>(side) <= 0x80000000u;
	}
	static D optimalSize(const D& self, bool requirePowerOfTwo, bool requireSquare, bool larger, u32 maxValue)
	{
		if (!sideFits(self.Width, requirePowerOfTwo) || !sideFits(self.Height, requirePowerOfTwo))
		{
			raiseScriptException("Out of range");
			return self;
		}
		return self.getOptimalSize(requirePowerOfTwo, requireSquare, larger, maxValue);
	}
	// The shorter overloads take Irrlicht's own defaults: true, false, true, 0.
	static D optimalSize0(const D& self) { return optimalSize(self, true, false, true, 0); }
	static D optimalSize1(const D& self, bool pow2) { return optimalSize(self, pow2, false, true, 0); }
	static D optimalSize2(const D& self, bool pow2, bool square) { return optimalSize(self, pow2, square, true, 0); }
	static D optimalSize3(const D& self, bool pow2, bool square, bool larger)
	{
		return optimalSize(self, pow2, square, larger, 0);
	}
};

template <class T> void registerDimension2d(asIScriptEngine* engine, const char* type)
{
	using N = SDimensionNatives<T>;
	using D = typename N::D;
	const char* s = scalarName<T>();
	CDeclStream d;

	engine->RegisterObjectBehaviour(
		type, asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructValue<D>), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectBehaviour(type, asBEHAVE_CONSTRUCT, d("void f(", s, ", ", s, ")"),
		asFUNCTION((constructValue<D, T, T>)), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectBehaviour(
		type, asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destroyValue), asCALL_CDECL_OBJLAST);

	engine->RegisterObjectMethod(
		type, d(type, " opMul(const ", s, " &in) const"), asFUNCTION((multiplyValues<D, T>)), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, "& opMulAssign(const ", s, " &in)"), asMETHODPR(D, operator*=, (const T&), D&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, " opAdd(const ", type, " &in) const"), asFUNCTION(addValues<D>), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(type, d(type, "& opAddAssign(const ", type, " &in)"),
		asMETHODPR(D, operator+=, (const D&), D&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, " opDiv(const ", s, " &in) const"), asFUNCTION(N::div), asCALL_CDECL_OBJFIRST);
	if constexpr (std::is_floating_point_v<T>)
		engine->RegisterObjectMethod(type, d(type, "& opDivAssign(const ", s, " &in)"),
			asMETHODPR(D, operator/=, (const T&), D&), asCALL_THISCALL);
	else
		engine->RegisterObjectMethod(
			type, d(type, "& opDivAssign(const ", s, " &in)"), asFUNCTION(N::divAssign), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, "& opAssign(const ", type, " &in)"), asMETHODPR(D, operator=, (const D&), D&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d("bool opEquals(const ", type, " &in) const"), asFUNCTION(equalValues<D>), asCALL_CDECL_OBJFIRST);

	engine->RegisterObjectMethod(type, d(s, " getArea() const"), asMETHOD(D, getArea), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, " getInterpolated(const ", type, " &in, f32) const"),
		asMETHOD(D, getInterpolated), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, " getOptimalSize() const"), asFUNCTION(N::optimalSize0), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, " getOptimalSize(bool) const"), asFUNCTION(N::optimalSize1), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, " getOptimalSize(bool, bool) const"), asFUNCTION(N::optimalSize2), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, " getOptimalSize(bool, bool, bool) const"), asFUNCTION(N::optimalSize3), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(type, d(type, " getOptimalSize(bool, bool, bool, u32) const"),
		asFUNCTION(N::optimalSize), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d(type, "& set(const ", s, " &in, const ", s, " &in)"), asMETHOD(D, set), asCALL_THISCALL);

	engine->RegisterObjectProperty(type, d(s, " Height"), asOFFSET(D, Height));
	engine->RegisterObjectProperty(type, d(s, " Width"), asOFFSET(D, Width));
}

} // namespace

void registerDimension2df(asIScriptEngine* engine)
{
	registerDimension2d<irr::f32>(engine, "dimension2df");
}
void registerDimension2di(asIScriptEngine* engine)
{
	registerDimension2d<irr::s32>(engine, "dimension2di");
}

} // namespace orv::script
