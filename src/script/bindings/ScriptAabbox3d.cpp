#include "script/bindings/ScriptTypes.h"
#include "script/bindings/ValueTypeRows.h"

#include <irrlicht.h>

#include <cstddef>

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::f32;
using irr::s32;
using irr::core::aabbox3d;
using irr::core::line3d;
using irr::core::vector3d;

template <class T> void registerBox(asIScriptEngine* engine, const char* typeName)
{
	using B = aabbox3d<T>;
	using V = vector3d<T>;
	const std::string vectorName = getVector3dTypeName(scalarName<T>());
	const SDeclNames names{typeName, scalarName<T>(), vectorName, {}};

	const SBehaviourRow behaviours[] = {
		{asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructValue<B>)},
		{asBEHAVE_CONSTRUCT, "void f(@S, @S, @S, @S, @S, @S)", asFUNCTION((constructValue<B, T, T, T, T, T, T>))},
		{asBEHAVE_CONSTRUCT, "void f(const @V &in)", asFUNCTION((constructValue<B, const V&>))},
		{asBEHAVE_CONSTRUCT, "void f(const @V &in, const @V &in)", asFUNCTION((constructValue<B, const V&, const V&>))},
		{asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destroyValue)},
	};

	const SMethodRow methods[] = {
		{"bool opEquals(const @T &in) const", asFUNCTION(equalValues<B>), asCALL_CDECL_OBJFIRST},
		{"void addInternalBox(const @T &in)", asMETHOD(B, addInternalBox), asCALL_THISCALL},
		{"void addInternalPoint(const @V &in)", asMETHODPR(B, addInternalPoint, (const V&), void), asCALL_THISCALL},
		{"void addInternalPoint(@S, @S, @S)", asMETHODPR(B, addInternalPoint, (T, T, T), void), asCALL_THISCALL},
		{"@S getArea() const", asMETHOD(B, getArea), asCALL_THISCALL},
		{"@V getCenter() const", asMETHOD(B, getCenter), asCALL_THISCALL},
		{"@V getExtent() const", asMETHOD(B, getExtent), asCALL_THISCALL},
		{"@T getInterpolated(const @T &in, f32) const", asMETHOD(B, getInterpolated), asCALL_THISCALL},
		{"@S getVolume() const", asMETHOD(B, getVolume), asCALL_THISCALL},
		{"bool intersectsWithBox(const @T &in) const", asMETHOD(B, intersectsWithBox), asCALL_THISCALL},
		{"bool isEmpty() const", asMETHOD(B, isEmpty), asCALL_THISCALL},
		{"bool isFullInside(const @T &in) const", asMETHOD(B, isFullInside), asCALL_THISCALL},
		{"bool isPointInside(const @V &in) const", asMETHOD(B, isPointInside), asCALL_THISCALL},
		{"bool isPointTotalInside(const @V &in) const", asMETHOD(B, isPointTotalInside), asCALL_THISCALL},
		{"void repair()", asMETHOD(B, repair), asCALL_THISCALL},
		{"void reset(const @V &in)", asMETHODPR(B, reset, (const V&), void), asCALL_THISCALL},
		{"void reset(const @T &in)", asMETHODPR(B, reset, (const B&), void), asCALL_THISCALL},
		{"void reset(@S, @S, @S)", asMETHODPR(B, reset, (T, T, T), void), asCALL_THISCALL},
	};

	const SPropertyRow properties[] = {
		{"@V MaxEdge", static_cast<int>(offsetof(B, MaxEdge))},
		{"@V MinEdge", static_cast<int>(offsetof(B, MinEdge))},
	};

	registerRows(engine, names, behaviours, methods, properties);
}

void registerAabbox3df(asIScriptEngine* engine)
{
	registerBox<f32>(engine, "aabbox3df");
}
void registerAabbox3di(asIScriptEngine* engine)
{
	registerBox<s32>(engine, "aabbox3di");
}

} // namespace

void registerAabbox3d(asIScriptEngine* engine)
{
	registerAabbox3df(engine);
	registerAabbox3di(engine);

	engine->RegisterObjectMethod("aabbox3df", "bool intersectsWithLine(line3df &in)",
		asMETHODPR(aabbox3d<f32>, intersectsWithLine, (const line3d<f32>&) const, bool), asCALL_THISCALL);
	engine->RegisterObjectMethod("aabbox3di", "bool intersectsWithLine(line3di &in)",
		asMETHODPR(aabbox3d<s32>, intersectsWithLine, (const line3d<s32>&) const, bool), asCALL_THISCALL);
}

} // namespace orv::script
