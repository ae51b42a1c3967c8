#include "script/bindings/ScriptTypes.h"

#include "script/bindings/VectorNatives.h"

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::f64;

template <class T> struct SVector3dNatives : SVectorNatives<irr::core::vector3d<T>>
{
	using V = irr::core::vector3d<T>;

	// Declarations that leave out trailing parameters get Irrlicht's defaults.
	static bool equalsDefault(const V& self, const V& other) { return self.equals(other); }
	static void rotateXYAboutOrigin(f64 degrees, V& self) { self.rotateXYBy(degrees); }
	static void rotateXZAboutOrigin(f64 degrees, V& self) { self.rotateXZBy(degrees); }
	static void rotateYZAboutOrigin(f64 degrees, V& self) { self.rotateYZBy(degrees); }
	static V rotationToDirectionForwards(const V& self) { return self.rotationToDirection(); }
};

template <class T> void registerVector3d(asIScriptEngine* engine, const char* type)
{
	using N = SVector3dNatives<T>;
	using V = typename N::V;
	const char* s = scalarName<T>();
	CDeclStream d;

	registerVectorBehaviours<V>(
		engine, type, d("void f(", s, ", ", s, ", ", s, ")"), asFUNCTION((constructValue<V, T, T, T>)));
	registerVectorOperators<V>(engine, type);

	engine->RegisterObjectMethod(
		type, d(type, " crossProduct(const ", type, " &in) const"), asMETHOD(V, crossProduct), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(s, " dotProduct(const ", type, " &in) const"), asMETHOD(V, dotProduct), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d("bool equals(const ", type, " &in) const"), asFUNCTION(N::equalsDefault), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(
		type, d("bool equals(const ", type, " &in, const ", s, ") const"), asMETHOD(V, equals), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(s, " getDistanceFrom(const ", type, " &in) const"), asMETHOD(V, getDistanceFrom), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(s, " getDistanceFromSQ(const ", type, " &in) const"), asMETHOD(V, getDistanceFromSQ), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, " getHorizontalAngle() const"), asMETHOD(V, getHorizontalAngle), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, " getInterpolated(const ", type, " &in, f64) const"),
		asMETHOD(V, getInterpolated), asCALL_THISCALL);
	engine->RegisterObjectMethod(type,
		d(type, " getInterpolated_quadratic(const ", type, " &in, const ", type, "&in, f64) const"),
		asMETHOD(V, getInterpolated_quadratic), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(s, " getLength() const"), asMETHOD(V, getLength), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(s, " getLengthSQ() const"), asMETHOD(V, getLengthSQ), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, " getSphericalCoordinateAngles() const"),
		asMETHOD(V, getSphericalCoordinateAngles), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, "& interpolate(const ", type, " &in, const ", type, "&in, f64)"),
		asMETHOD(V, interpolate), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, "& invert()"), asMETHOD(V, invert), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d("bool isBetweenPoints(const ", type, " &in, const ", type, "&in) const"),
		asMETHOD(V, isBetweenPoints), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, "& normalize()"), asMETHOD(V, normalize), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, "void rotateXYBy(f64)", asFUNCTION(N::rotateXYAboutOrigin), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		type, d("void rotateXYBy(f64, const ", type, "&in)"), asMETHOD(V, rotateXYBy), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, "void rotateXZBy(f64)", asFUNCTION(N::rotateXZAboutOrigin), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		type, d("void rotateXZBy(f64, const ", type, "&in)"), asMETHOD(V, rotateXZBy), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, "void rotateYZBy(f64)", asFUNCTION(N::rotateYZAboutOrigin), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		type, d("void rotateYZBy(f64, const ", type, "&in)"), asMETHOD(V, rotateYZBy), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, " rotationToDirection() const"),
		asFUNCTION(N::rotationToDirectionForwards), asCALL_CDECL_OBJFIRST);
	engine->RegisterObjectMethod(type, d(type, " rotationToDirection(const ", type, "&in) const"),
		asMETHOD(V, rotationToDirection), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, "& set(const ", s, ", const ", s, ", const ", s, ")"),
		asMETHODPR(V, set, (T, T, T), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		type, d(type, "& set(const ", type, " &in)"), asMETHODPR(V, set, (const V&), V&), asCALL_THISCALL);
	engine->RegisterObjectMethod(type, d(type, "& setLength(const ", s, ")"), asMETHOD(V, setLength), asCALL_THISCALL);

	engine->RegisterObjectProperty(type, d(s, " X"), asOFFSET(V, X));
	engine->RegisterObjectProperty(type, d(s, " Y"), asOFFSET(V, Y));
	engine->RegisterObjectProperty(type, d(s, " Z"), asOFFSET(V, Z));
}

} // namespace

void registerVector3df(asIScriptEngine* engine)
{
	registerVector3d<irr::f32>(engine, "vector3df");
}
void registerVector3di(asIScriptEngine* engine)
{
	registerVector3d<irr::s32>(engine, "vector3di");
}

} // namespace orv::script
