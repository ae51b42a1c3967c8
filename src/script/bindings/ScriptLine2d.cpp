#include "script/bindings/ScriptTypes.h"
#include "script/bindings/ValueTypeRows.h"

#include <irrlicht.h>

#include <cstddef>
#include <type_traits>

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::f32;
using irr::f64;
using irr::s32;
using irr::core::line2d;
using irr::core::vector2d;

// Irrlicht's length has the scalar's type; scripts were promised f64.
template <class T> f64 getLineLength(const line2d<T>* line)
{
	return line->getLength();
}

template <class T> vector2d<T> getClosestPointOnSegment(const vector2d<T>& point, const line2d<T>* line)
{
	return line->getClosestPoint(point, true);
}

template <class T> bool intersectSegments(const line2d<T>& other, vector2d<T>& out, const line2d<T>* line)
{
	return line->intersectWith(other, out, true);
}

// The integer line scales by the truncated reciprocal of its length, which is
// infinite for a point; that point has no direction at all.
template <class T> vector2d<T> getUnitVector(const line2d<T>* line)
{
	if constexpr (std::is_integral_v<T>)
	{
		if (line->getLength() == 0)
			return vector2d<T>(0, 0);
	}
	return line->getUnitVector();
}

template <class T> void registerLine2d(asIScriptEngine* engine, const char* typeName)
{
	using L = line2d<T>;
	using V = vector2d<T>;
	const std::string vectorName = getVector2dTypeName(scalarName<T>());
	const SDeclNames names{typeName, scalarName<T>(), vectorName, {}};

	const SBehaviourRow behaviours[] = {
		{asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructValue<L>)},
		{asBEHAVE_CONSTRUCT, "void f(const @T &in)", asFUNCTION((constructValue<L, const L&>))},
		{asBEHAVE_CONSTRUCT, "void f(const @V &in, const @V &in)", asFUNCTION((constructValue<L, const V&, const V&>))},
		{asBEHAVE_CONSTRUCT, "void f(@S, @S, @S, @S)", asFUNCTION((constructValue<L, T, T, T, T>))},
		{asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destroyValue)},
	};

	const SMethodRow methods[] = {
		{"@T opAdd(const @V &in) const", asFUNCTION((addValues<L, V>)), asCALL_CDECL_OBJFIRST},
		{"@T& opAddAssign(const @V &in)", asMETHODPR(L, operator+=, (const V&), L&), asCALL_THISCALL},
		{"@T opSub(const @V &in) const", asFUNCTION((subtractValues<L, V>)), asCALL_CDECL_OBJFIRST},
		{"@T& opSubAssign(const @V &in)", asMETHODPR(L, operator-=, (const V&), L&), asCALL_THISCALL},
		{"bool opEquals(const @T &in)", asFUNCTION(equalValues<L>), asCALL_CDECL_OBJFIRST},
		{"f64 getAngleWith(const @T &in) const", asMETHOD(L, getAngleWith), asCALL_THISCALL},
		{"@V getClosestPoint(const @V &in) const", asFUNCTION(getClosestPointOnSegment<T>), asCALL_CDECL_OBJLAST},
		{"f64 getLength() const", asFUNCTION(getLineLength<T>), asCALL_CDECL_OBJLAST},
		{"@S getLengthSQ() const", asMETHOD(L, getLengthSQ), asCALL_THISCALL},
		{"@V getMiddle() const", asMETHOD(L, getMiddle), asCALL_THISCALL},
		{"@S getPointOrientation(const @V &in) const", asMETHOD(L, getPointOrientation), asCALL_THISCALL},
		{"@V getUnitVector() const", asFUNCTION(getUnitVector<T>), asCALL_CDECL_OBJLAST},
		{"@V getVector() const", asMETHOD(L, getVector), asCALL_THISCALL},
		{"bool intersectWith(const @T &in, const @V &out) const", asFUNCTION(intersectSegments<T>),
			asCALL_CDECL_OBJLAST},
		{"bool isPointBetweenStartAndEnd(const @V &in) const", asMETHOD(L, isPointBetweenStartAndEnd), asCALL_THISCALL},
		{"bool isPointOnLine(const @V &in) const", asMETHOD(L, isPointOnLine), asCALL_THISCALL},
		{"void setLine(const @T &in)", asMETHODPR(L, setLine, (const L&), void), asCALL_THISCALL},
		{"void setLine(const @V &in, const @V &in)", asMETHODPR(L, setLine, (const V&, const V&), void),
			asCALL_THISCALL},
		{"void setLine(const @S &in, const @S &in, const @S &in, const @S &in)",
			asMETHODPR(L, setLine, (const T&, const T&, const T&, const T&), void), asCALL_THISCALL},
	};

	const SPropertyRow properties[] = {
		{"@V end", static_cast<int>(offsetof(L, end))},
		{"@V start", static_cast<int>(offsetof(L, start))},
	};

	registerRows(engine, names, behaviours, methods, properties);
}

} // namespace

void registerLine2df(asIScriptEngine* engine)
{
	registerLine2d<f32>(engine, "line2df");
}
void registerLine2di(asIScriptEngine* engine)
{
	registerLine2d<s32>(engine, "line2di");
}

} // namespace orv::script
