#include "script/api/CameraManagerAPI.h"

#include "scene/CCameraManager.h"
#include "world/CSceneObject.h"

#include <angelscript.h>

#include <cstddef>

namespace orv::script {

using namespace AngelScript;

namespace {

CSceneObject* getFollow(CCameraManager* camera)
{
	CSceneObject* followed = camera->getFollowed();
	if (followed)
		followed->grab();
	return followed;
}

// The camera takes a reference of its own when it follows; the handle's
// reference was the script's, given to this call.
void setFollow(CSceneObject* object, CCameraManager* camera)
{
	camera->setFollowed(object);
	if (object)
		object->drop();
}

} // namespace

void registerCameraManagerAPI(asIScriptEngine* engine)
{
	engine->RegisterObjectMethod(
		"CameraManager", "float get_FarZ() const", asMETHOD(CCameraManager, getFarZ), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		"CameraManager", "void set_FarZ(const float)", asMETHOD(CCameraManager, setFarZ), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		"CameraManager", "vector3df get_Position() const", asMETHOD(CCameraManager, getPosition), asCALL_THISCALL);
	engine->RegisterObjectMethod("CameraManager", "void set_Position(const vector3df &in)",
		asMETHOD(CCameraManager, setPosition), asCALL_THISCALL);
	engine->RegisterObjectMethod(
		"CameraManager", "SceneObject@ get_Follow() const", asFUNCTION(getFollow), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		"CameraManager", "void set_Follow(SceneObject@)", asFUNCTION(setFollow), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectMethod(
		"CameraManager", "rectf get_ViewLimit() const", asMETHOD(CCameraManager, getViewLimit), asCALL_THISCALL);
	engine->RegisterObjectMethod("CameraManager", "void set_ViewLimit(const rectf &in)",
		asMETHOD(CCameraManager, setViewLimit), asCALL_THISCALL);
	// asOFFSET reaches the member through a made-up pointer, which clang's
	// vptr check follows into unmapped memory; offsetof computes it outright.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
	engine->RegisterObjectProperty(
		"CameraManager", "bool KeepOrthographic", static_cast<int>(offsetof(CCameraManager, KeepOrthographic)));
	engine->RegisterObjectProperty(
		"CameraManager", "bool UseViewLimit", static_cast<int>(offsetof(CCameraManager, UseViewLimit)));
#pragma GCC diagnostic pop
	engine->RegisterGlobalProperty("CameraManager Camera", CCameraManager::getInstance());
}

} // namespace orv::script
