#include "script/api/SceneObjectTypes.h"
#include "script/api/RefCasts.h"
#include "script/api/SceneObjectKindsAPI.h"

#include "world/CAnimatedSceneObject.h"
#include "world/CSceneObject.h"
#include "world/CStaticSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/SAttribute.h"
#include "world/SSceneObjectPhysics.h"

#include <angelscript.h>

namespace orv::script {

using namespace AngelScript;

namespace {

struct SEnumValue
{
	const char* name;
	int value;
};

struct SEnumRow
{
	const char* type;
	std::initializer_list<SEnumValue> values;
};

const SEnumRow ENUMS[] = {
	{"EAttributeType",
		{{"EAT_INVALID", EAT_INVALID}, {"EAT_INT", EAT_INT}, {"EAT_UINT", EAT_UINT}, {"EAT_FLOAT", EAT_FLOAT},
			{"EAT_DOUBLE", EAT_DOUBLE}, {"EAT_STRING", EAT_STRING}, {"EPT_COUNT", EPT_COUNT}}},
	{"ESceneObjectType",
		{{"ESOT_DEFAULT", ESOT_DEFAULT}, {"ESOT_STATIC", ESOT_STATIC}, {"ESOT_ANIMATED", ESOT_ANIMATED},
			{"ESOT_TILED", ESOT_TILED}, {"ESOT_COUNT", ESOT_COUNT}}},
	{"EBodyType",
		{{"EBT_STATIC", EBT_STATIC}, {"EBT_KINETIC", EBT_KINETIC}, {"EBT_DYNAMIC", EBT_DYNAMIC},
			{"EBT_COUNT", EBT_COUNT}}},
};

const char* const KIND_TYPES[] = {"StaticSceneObject", "AnimatedSceneObject", "TiledSceneObject"};

} // namespace

CStaticSceneObject* castToStaticSceneObject(CSceneObject* object)
{
	return castDown<CStaticSceneObject>(object);
}

CAnimatedSceneObject* castToAnimatedSceneObject(CSceneObject* object)
{
	return castDown<CAnimatedSceneObject>(object);
}

CTiledSceneObject* castToTiledSceneObject(CSceneObject* object)
{
	return castDown<CTiledSceneObject>(object);
}

void registerSceneObjectEnums(asIScriptEngine* engine)
{
	for (const SEnumRow& row : ENUMS)
	{
		engine->RegisterEnum(row.type);
		for (const SEnumValue& value : row.values)
			engine->RegisterEnumValue(row.type, value.name, value.value);
	}

	// A plain record of a body pointer and a flag: scripts copy it byte for byte.
	engine->RegisterObjectType(
		"SceneObject_Physics", sizeof(SSceneObjectPhysics), asOBJ_VALUE | asOBJ_POD | asOBJ_APP_CLASS_CD);
	// No factories: scripts only receive scene objects from the engine.
	engine->RegisterObjectType("SceneObject", 0, asOBJ_REF);
	for (const char* kind : KIND_TYPES)
		engine->RegisterObjectType(kind, 0, asOBJ_REF);
}

void registerSceneObjectAPI(asIScriptEngine* engine)
{
	registerSceneObjectPhysicsAPI(engine);
	registerSceneObjectBase<CSceneObject>(engine, "SceneObject");
	registerStaticSceneObjectAPI(engine);
	registerAnimatedSceneObjectAPI(engine);
	registerTiledSceneObjectAPI(engine);

	engine->RegisterObjectMethod(
		"SceneObject", "StaticSceneObject@ opCast()", asFUNCTION(castToStaticSceneObject), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		"SceneObject", "AnimatedSceneObject@ opCast()", asFUNCTION(castToAnimatedSceneObject), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		"SceneObject", "TiledSceneObject@ opCast()", asFUNCTION(castToTiledSceneObject), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("StaticSceneObject", "SceneObject@ opImplCast()",
		asFUNCTION((castUp<CSceneObject, CStaticSceneObject>)), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("AnimatedSceneObject", "SceneObject@ opImplCast()",
		asFUNCTION((castUp<CSceneObject, CAnimatedSceneObject>)), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod("TiledSceneObject", "SceneObject@ opImplCast()",
		asFUNCTION((castUp<CSceneObject, CTiledSceneObject>)), asCALL_CDECL_OBJLAST);
}

} // namespace orv::script
