#include "script/bindings/ScriptTypes.h"
#include "script/bindings/ValueTypeRows.h"

#include <irrlicht.h>

#include <cstddef>

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::f32;
using irr::s32;
using irr::core::dimension2d;
using irr::core::rect;
using irr::core::vector2d;

// Orders by area; an area that is not a number orders as equal.
template <class T> int compareRect(const rect<T>& r, const rect<T>& other)
{
	return compareOrder(r.getHeight() * r.getWidth(), other.getHeight() * other.getWidth());
}

template <class T> void registerRect(asIScriptEngine* engine, const char* typeName)
{
	using R = rect<T>;
	using V = vector2d<T>;
	using D = dimension2d<T>;
	const std::string vectorName = getVector2dTypeName(scalarName<T>());
	const std::string dimensionName = getDimension2dTypeName(scalarName<T>());
	const SDeclNames names{typeName, scalarName<T>(), vectorName, dimensionName};

	const SBehaviourRow behaviours[] = {
		{asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructValue<R>)},
		{asBEHAVE_CONSTRUCT, "void f(@S, @S, @S, @S)", asFUNCTION((constructValue<R, T, T, T, T>))},
		{asBEHAVE_CONSTRUCT, "void f(const @V &in, const @D &in)", asFUNCTION((constructValue<R, const V&, const D&>))},
		{asBEHAVE_CONSTRUCT, "void f(const @V &in, const @V &in)", asFUNCTION((constructValue<R, const V&, const V&>))},
		{asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destroyValue)},
	};

	// opCmp answers int so that the relational operators reach it.
	const SMethodRow methods[] = {
		{"@T opAdd(const @V&in) const", asFUNCTION((addValues<R, V>)), asCALL_CDECL_OBJFIRST},
		{"@T& opAddAssign(const @V&in)", asMETHODPR(R, operator+=, (const V&), R&), asCALL_THISCALL},
		{"@T opSub(const @V&in) const", asFUNCTION((subtractValues<R, V>)), asCALL_CDECL_OBJFIRST},
		{"@T& opSubAssign(const @V&in)", asMETHODPR(R, operator-=, (const V&), R&), asCALL_THISCALL},
		{"bool opEquals(const @T &in) const", asFUNCTION(equalValues<R>), asCALL_CDECL_OBJFIRST},
		{"int opCmp(const @T &in) const", asFUNCTION(compareRect<T>), asCALL_CDECL_OBJFIRST},
		{"void addInternalPoint(const @V &in)", asMETHODPR(R, addInternalPoint, (const V&), void), asCALL_THISCALL},
		{"void addInternalPoint(@S, @S)", asMETHODPR(R, addInternalPoint, (T, T), void), asCALL_THISCALL},
		{"void clipAgainst(const @T &in)", asMETHOD(R, clipAgainst), asCALL_THISCALL},
		{"bool constrainTo(const @T &in)", asMETHOD(R, constrainTo), asCALL_THISCALL},
		{"@S getArea() const", asMETHOD(R, getArea), asCALL_THISCALL},
		{"@V getCenter() const", asMETHOD(R, getCenter), asCALL_THISCALL},
		{"@S getHeight() const", asMETHOD(R, getHeight), asCALL_THISCALL},
		{"@D getSize() const", asMETHOD(R, getSize), asCALL_THISCALL},
		{"@S getWidth() const", asMETHOD(R, getWidth), asCALL_THISCALL},
		{"bool isPointInside(const @V &in) const", asMETHOD(R, isPointInside), asCALL_THISCALL},
		{"bool isRectCollided(const @T &in) const", asMETHOD(R, isRectCollided), asCALL_THISCALL},
		{"bool isValid() const", asMETHOD(R, isValid), asCALL_THISCALL},
		{"void repair()", asMETHOD(R, repair), asCALL_THISCALL},
	};

	const SPropertyRow properties[] = {
		{"@V LowerRightCorner", static_cast<int>(offsetof(R, LowerRightCorner))},
		{"@V UpperLeftCorner", static_cast<int>(offsetof(R, UpperLeftCorner))},
	};

	registerRows(engine, names, behaviours, methods, properties);
}

} // namespace

void registerRectf(asIScriptEngine* engine)
{
	registerRect<f32>(engine, "rectf");
}
void registerRecti(asIScriptEngine* engine)
{
	registerRect<s32>(engine, "recti");
}

} // namespace orv::script
