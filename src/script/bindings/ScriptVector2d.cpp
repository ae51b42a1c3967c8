#include "script/bindings/ScriptTypes.h"

#include "script/bindings/VectorNatives.h"

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::f64;

template <class T> struct SVector2dNatives : SVectorNatives<irr::core::vector2d<T>>
{
	using V = irr::core::vector2d<T>;

	// Irrlicht's default centre is the origin.
	static V& rotateAboutOrigin(f64 degrees, V& self) { return self.rotateBy(degrees); }
};

template <class T> void registerVector2d(asIScriptEngine* engine, const char* type)
{
	using N = SVector2dNatives<T>;
	using V = typename N::V;
	const char* s = scalarName<T>();
	CDeclStream d;

	registerVectorBehaviours<V>(engine, type, d("void f(", s, ", ", s, ")"), asFUNCTION((constructValue<V, T, T>)));
	registerVectorOperators<V>(engine, type);

	engine->RegisterObjectMethod(
		type, d(s, " dotProduct(const ", type, " &in)"), asMETHOD(V, dotProduct), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d("bool equals(const ", type, " &in) const"), asMETHOD(V, equals), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, "f64 getAngle() const", asMETHOD(V, getAngle), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, "f64 getAngleTrig() const", asMETHOD(V, getAngleTrig), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d("f64 getAngleWith(const ", type, " &in) const"), asMETHOD(V, getAngleWith), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(s, " getDistanceFrom(const ", type, " &in) const"), asMETHOD(V, getDistanceFrom), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(s, " getDistanceFromSQ(const ", type, " &in) const"), asMETHOD(V, getDistanceFromSQ), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, " getInterpolated(const ", type, " &in, f64) const"),
		asMETHOD(V, getInterpolated), asCALL_THISCALL);
	engine->RegisterObjectMethod(type,
		d(type, " getInterpolated_quadratic(const ", type, " &in, const ", type, " &in, f64) const"),
		asMETHOD(V, getInterpolated_quadratic), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(s, " getLength() const"), asMETHOD(V, getLength), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(s, " getLengthSQ() const"), asMETHOD(V, getLengthSQ), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, "& interpolate(const ", type, " &in, const ", type, " &in, f64)"),
		asMETHOD(V, interpolate), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d("bool isBetweenPoints(const ", type, " &in, const ", type, " &in) const"),
		asMETHOD(V, isBetweenPoints), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, "& normalize()"), asMETHOD(V, normalize), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, "& rotateBy(f64)"), asFUNCTION(N::rotateAboutOrigin), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		type, d(type, "& rotateBy(f64, const ", type, " &in)"), asMETHOD(V, rotateBy), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, "& set(const ", s, ", const ", s, ")"), asMETHODPR(V, set, (T, T), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, "& set(const ", type, " &in)"), asMETHODPR(V, set, (const V&), V&), asCALL_THISCALL);

	engine->RegisterObjectProperty(type, d(s, " X"), asOFFSET(V, X));
	engine->RegisterObjectProperty(type, d(s, " Y"), asOFFSET(V, Y));
}

} // namespace

void registerVector2df(asIScriptEngine* engine)
{
	registerVector2d<irr::f32>(engine, "vector2df");
}
void registerVector2di(asIScriptEngine* engine)
{
	registerVector2d<irr::s32>(engine, "vector2di");
}

} // namespace orv::script
