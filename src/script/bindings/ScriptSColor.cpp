#include "script/bindings/ScriptTypes.h"
#include "script/bindings/ValueTypeRows.h"

#include <irrlicht.h>

#include <cstddef>
#include <new>

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::f32;
using irr::u16;
using irr::u32;
using irr::video::SColor;

// Irrlicht leaves a default colour unset; scripts get transparent black.
void constructSColorZero(void* memory)
{
	if (memory)
		new (memory) SColor(0u);
}

int compareSColor(const SColor& colour, const SColor& other)
{
	return compareOrder(colour.color, other.color);
}

} // namespace

void registerSColor(asIScriptEngine* engine)
{
	const SDeclNames names{"SColor", {}, {}, {}};

	const SBehaviourRow behaviours[] = {
		{asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructSColorZero)},
		{asBEHAVE_CONSTRUCT, "void f(u32)", asFUNCTION((constructValue<SColor, u32>))},
		{asBEHAVE_CONSTRUCT, "void f(u32, u32, u32, u32)", asFUNCTION((constructValue<SColor, u32, u32, u32, u32>))},
		{asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destroyValue)},
	};

	// opCmp answers int so that the relational operators reach it.
	const SMethodRow methods[] = {
		{"SColor opAdd(const SColor &in) const", asFUNCTION(addValues<SColor>), asCALL_CDECL_OBJFIRST},
		{"bool opEquals(const SColor &in) const", asFUNCTION(equalValues<SColor>), asCALL_CDECL_OBJFIRST},
		{"int opCmp(const SColor &in) const", asFUNCTION(compareSColor), asCALL_CDECL_OBJFIRST},
		{"u32 getAlpha() const", asMETHOD(SColor, getAlpha), asCALL_THISCALL},
		{"u32 getAverage() const", asMETHOD(SColor, getAverage), asCALL_THISCALL},
		{"u32 getBlue() const", asMETHOD(SColor, getBlue), asCALL_THISCALL},
		{"u32 getGreen() const", asMETHOD(SColor, getGreen), asCALL_THISCALL},
		{"SColor getInterpolated(const SColor &in, f32) const", asMETHOD(SColor, getInterpolated), asCALL_THISCALL},
		{"SColor getInterpolated_quadratic(const SColor &in, const SColor &in, f32) const",
			asMETHOD(SColor, getInterpolated_quadratic), asCALL_THISCALL},
		{"f32 getLightness() const", asMETHOD(SColor, getLightness), asCALL_THISCALL},
		{"f32 getLuminance() const", asMETHOD(SColor, getLuminance), asCALL_THISCALL},
		{"u32 getRed() const", asMETHOD(SColor, getRed), asCALL_THISCALL},
		{"void set(u32)", asMETHODPR(SColor, set, (u32), void), asCALL_THISCALL},
		{"void set(u32, u32, u32, u32)", asMETHODPR(SColor, set, (u32, u32, u32, u32), void), asCALL_THISCALL},
		{"void setAlpha(u32)", asMETHOD(SColor, setAlpha), asCALL_THISCALL},
		{"void setBlue(u32)", asMETHOD(SColor, setBlue), asCALL_THISCALL},
		{"void setGreen(u32)", asMETHOD(SColor, setGreen), asCALL_THISCALL},
		{"void setRed(u32)", asMETHOD(SColor, setRed), asCALL_THISCALL},
		{"u16 toA1R5G5B5() const", asMETHOD(SColor, toA1R5G5B5), asCALL_THISCALL},
	};

	const SPropertyRow properties[] = {
		{"u32 color", static_cast<int>(offsetof(SColor, color))},
	};

	registerRows(engine, names, behaviours, methods, properties);
}

} // namespace orv::script
