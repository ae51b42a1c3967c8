#include "script/bindings/ScriptTypes.h"
#include "script/bindings/ValueTypeRows.h"

#include <irrlicht.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::f32;
using irr::f64;
using irr::s32;
using irr::core::line3d;
using irr::core::vector3d;

// The integer line divides its vector by its whole-number length, which a
// point (or a length whose square wraps to zero) makes a division by zero.
template <class T> vector3d<T> getClosestPoint(const vector3d<T>& point, const line3d<T>* line)
{
	if constexpr (std::is_integral_v<T>)
	{
		if (static_cast<T>(line->getVector().getLength()) == 0)
		{
			raiseScriptException("Divide by zero");
			return line->start;
		}
	}
	return line->getClosestPoint(point);
}

// The engine hands out the distance's storage with the four-byte alignment of
// its own stack and copies it into the script's variable even after a miss, so
// it is written bytewise, and as zero for a miss.
template <class T> bool getIntersectionWithSphere(vector3d<T> centre, T radius, void* distance, const line3d<T>* line)
{
	f64 result = 0.0;
	const bool hit = line->getIntersectionWithSphere(centre, radius, result);
	std::memcpy(distance, &result, sizeof result);
	return hit;
}

template <class T> void registerLine3d(asIScriptEngine* engine, const char* typeName)
{
	using L = line3d<T>;
	using V = vector3d<T>;
	const std::string vectorName = getVector3dTypeName(scalarName<T>());
	const SDeclNames names{typeName, scalarName<T>(), vectorName, {}};

	const SBehaviourRow behaviours[] = {
		{asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructValue<L>)},
		{asBEHAVE_CONSTRUCT, "void f(const @T &in)", asFUNCTION((constructValue<L, const L&>))},
		{asBEHAVE_CONSTRUCT, "void f(@S, @S, @S, @S, @S, @S)", asFUNCTION((constructValue<L, T, T, T, T, T, T>))},
		{asBEHAVE_CONSTRUCT, "void f(const @V &in, const @V &in)", asFUNCTION((constructValue<L, const V&, const V&>))},
		{asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destroyValue)},
	};

	const SMethodRow methods[] = {
		{"@T opAdd(const @V &in) const", asFUNCTION((addValues<L, V>)), asCALL_CDECL_OBJFIRST},
		{"@T& opAddAssign(const @V &in)", asMETHODPR(L, operator+=, (const V&), L&), asCALL_THISCALL},
		{"@T opSub(const @V &in) const", asFUNCTION((subtractValues<L, V>)), asCALL_CDECL_OBJFIRST},
		{"@T& opSubAssign(const @V &in)", asMETHODPR(L, operator-=, (const V&), L&), asCALL_THISCALL},
		{"bool opEquals(const @T &in) const", asFUNCTION(equalValues<L>), asCALL_CDECL_OBJFIRST},
		{"@V getClosestPoint(const @V &in) const", asFUNCTION(getClosestPoint<T>), asCALL_CDECL_OBJLAST},
		{"bool getIntersectionWithSphere(@V, @S, f64 &out) const", asFUNCTION(getIntersectionWithSphere<T>),
			asCALL_CDECL_OBJLAST},
		{"@S getLength() const", asMETHOD(L, getLength), asCALL_THISCALL},
		{"@S getLengthSQ() const", asMETHOD(L, getLengthSQ), asCALL_THISCALL},
		{"@V getMiddle() const", asMETHOD(L, getMiddle), asCALL_THISCALL},
		{"@V getVector() const", asMETHOD(L, getVector), asCALL_THISCALL},
		{"bool isPointBetweenStartAndEnd(const @V &in) const", asMETHOD(L, isPointBetweenStartAndEnd), asCALL_THISCALL},
		{"void setLine(const @T &in)", asMETHODPR(L, setLine, (const L&), void), asCALL_THISCALL},
		{"void setLine(const @V &in, const @V &in)", asMETHODPR(L, setLine, (const V&, const V&), void),
			asCALL_THISCALL},
		{"void setLine(const @S &in, const @S &in, const @S &in, const @S &in, const @S &in, const @S &in)",
			asMETHODPR(L, setLine, (const T&, const T&, const T&, const T&, const T&, const T&), void),
			asCALL_THISCALL},
	};

	const SPropertyRow properties[] = {
		{"@V end", static_cast<int>(offsetof(L, end))},
		{"@V start", static_cast<int>(offsetof(L, start))},
	};

	registerRows(engine, names, behaviours, methods, properties);
}

} // namespace

void registerLine3df(asIScriptEngine* engine)
{
	registerLine3d<f32>(engine, "line3df");
}
void registerLine3di(asIScriptEngine* engine)
{
	registerLine3d<s32>(engine, "line3di");
}

} // namespace orv::script
