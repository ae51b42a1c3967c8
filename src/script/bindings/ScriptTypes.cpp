#include "script/bindings/ScriptTypes.h"

#include "script/bindings/GeometryRegistrar.h"

#include <irrlicht.h>

namespace orv::script {

namespace {

using namespace irr;
using namespace irr::core;

// The layouts scripts and natives share byte for byte.
static_assert(sizeof(dimension2d<f32>) == 8 && sizeof(dimension2d<s32>) == 8);
static_assert(sizeof(vector2d<f32>) == 8 && sizeof(vector2d<s32>) == 8);
static_assert(sizeof(vector3d<f32>) == 12 && sizeof(vector3d<s32>) == 12);
static_assert(sizeof(line2d<f32>) == 16 && sizeof(line2d<s32>) == 16);
static_assert(sizeof(line3d<f32>) == 24 && sizeof(line3d<s32>) == 24);
static_assert(sizeof(aabbox3d<f32>) == 24 && sizeof(aabbox3d<s32>) == 24);
static_assert(sizeof(rect<f32>) == 16 && sizeof(rect<s32>) == 16);
static_assert(sizeof(video::SColor) == 4);

struct STypedef
{
	const char* Name;
	const char* Primitive;
};

const STypedef Typedefs[] = {
	{"c8", "int8"},
	{"u8", "uint8"},
	{"s16", "int16"},
	{"u16", "uint16"},
	{"s32", "int"},
	{"u32", "uint"},
	{"s64", "int64"},
	{"u64", "uint64"},
	{"f32", "float"},
	{"f64", "double"},
};

// Irrlicht's constants, each computed in its own precision; the engine reads
// them through these addresses for the whole process.
const f32 RoundingErrorF32 = 0.000001f;
const f64 RoundingErrorF64 = 0.00000001;
const f32 Pi = 3.14159265359f;
const f64 Pi64 = 3.1415926535897932384626433832795028841971693993751;
const f32 ReciprocalPi = 1.0f / Pi;
const f64 ReciprocalPi64 = 1.0 / Pi64;
const f32 HalfPi = Pi / 2.0f;
const f32 DegToRad = Pi / 180.0f;
const f64 DegToRad64 = Pi64 / 180.0;
const f32 RadToDeg = 180.0f / Pi;
const f64 RadToDeg64 = 180.0 / Pi64;

struct SConstant
{
	const char* Declaration;
	const void* Value;
};

const SConstant Constants[] = {
	{"const f32 ROUNDING_ERROR_f32", &RoundingErrorF32},
	{"const f64 ROUNDING_ERROR_f64", &RoundingErrorF64},
	{"const f32 PI", &Pi},
	{"const f64 PI64", &Pi64},
	{"const f32 RECIPROCAL_PI", &ReciprocalPi},
	{"const f64 RECIPROCAL_PI64", &ReciprocalPi64},
	{"const f32 HALF_PI", &HalfPi},
	{"const f32 DEGTORAD", &DegToRad},
	{"const f64 DEGTORAD64", &DegToRad64},
	{"const f32 RADTODEG", &RadToDeg},
	{"const f64 RADTODEG64", &RadToDeg64},
};

struct SValueType
{
	const char* Name;
	int Size;
	asDWORD Flags;
};

void registerLightTypeEnum(asIScriptEngine* engine)
{
	engine->RegisterEnum("E_LIGHT_TYPE");
	engine->RegisterEnumValue("E_LIGHT_TYPE", "ELT_POINT", video::ELT_POINT);
	engine->RegisterEnumValue("E_LIGHT_TYPE", "ELT_SPOT", video::ELT_SPOT);
	engine->RegisterEnumValue("E_LIGHT_TYPE", "ELT_DIRECTIONAL", video::ELT_DIRECTIONAL);
}

} // namespace

void declareMathTypes(asIScriptEngine* engine)
{
	for (const STypedef& t : Typedefs)
		engine->RegisterTypedef(t.Name, t.Primitive);

	// The engine never writes through a const global, so dropping const here
	// only satisfies the interface.
	for (const SConstant& c : Constants)
		engine->RegisterGlobalProperty(c.Declaration, const_cast<void*>(c.Value));

	declareStringType(engine);

	const SValueType types[] = {
		{"dimension2df", sizeof(dimension2d<f32>), valueTypeFlags<dimension2d<f32>, f32>(EVC_OWN_ASSIGN)},
		{"dimension2di", sizeof(dimension2d<s32>), valueTypeFlags<dimension2d<s32>, s32>(EVC_OWN_ASSIGN)},
		{"SColor", sizeof(video::SColor), valueTypeFlags<video::SColor, u32>(EVC_POD)},
		{"vector2df", sizeof(vector2d<f32>), valueTypeFlags<vector2d<f32>, f32>(EVC_OWN_ASSIGN)},
		{"vector2di", sizeof(vector2d<s32>), valueTypeFlags<vector2d<s32>, s32>(EVC_OWN_ASSIGN)},
		{"vector3df", sizeof(vector3d<f32>), valueTypeFlags<vector3d<f32>, f32>(EVC_OWN_ASSIGN)},
		{"vector3di", sizeof(vector3d<s32>), valueTypeFlags<vector3d<s32>, s32>(EVC_OWN_ASSIGN)},
		{"line2df", sizeof(line2d<f32>), valueTypeFlags<line2d<f32>, f32>(EVC_POD)},
		{"line2di", sizeof(line2d<s32>), valueTypeFlags<line2d<s32>, s32>(EVC_POD)},
		{"line3df", sizeof(line3d<f32>), valueTypeFlags<line3d<f32>, f32>(EVC_POD)},
		{"line3di", sizeof(line3d<s32>), valueTypeFlags<line3d<s32>, s32>(EVC_POD)},
		{"aabbox3df", sizeof(aabbox3d<f32>), valueTypeFlags<aabbox3d<f32>, f32>(EVC_POD)},
		{"aabbox3di", sizeof(aabbox3d<s32>), valueTypeFlags<aabbox3d<s32>, s32>(EVC_POD)},
		{"rectf", sizeof(rect<f32>), valueTypeFlags<rect<f32>, f32>(EVC_POD)},
		{"recti", sizeof(rect<s32>), valueTypeFlags<rect<s32>, s32>(EVC_POD)},
	};
	for (const SValueType& t : types)
		engine->RegisterObjectType(t.Name, t.Size, t.Flags);

	registerMatrix4Type(engine);

	registerCullingTypeEnum(engine);
	registerKeyCodeEnum(engine);
	registerMouseInputEventEnum(engine);
	registerLightTypeEnum(engine);
	registerMaterialFlagEnum(engine);
	registerMaterialTypeEnum(engine);
	registerGuiAlignmentEnum(engine);
}

void registerMathTypes(asIScriptEngine* engine)
{
	registerString(engine);
	registerDimension2df(engine);
	registerDimension2di(engine);
	registerSColor(engine);
	registerVector2df(engine);
	registerVector2di(engine);
	registerVector3df(engine);
	registerVector3di(engine);
	registerLine2df(engine);
	registerLine2di(engine);
	registerLine3df(engine);
	registerLine3di(engine);
	registerAabbox3d(engine);
	registerRectf(engine);
	registerRecti(engine);
	registerMatrix4(engine);
}

} // namespace orv::script
