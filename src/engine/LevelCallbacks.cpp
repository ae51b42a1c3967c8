#include "engine/LevelCallbacks.h"

#include "engine/CGameEngine.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "world/CObjectClass.h"
#include "world/CSceneObject.h"

namespace orv {

void onObjectLoaded(CSceneObject* object)
{
	CGameEngine* engine = CGameEngine::peekInstance();
	if (!engine || !object)
		return;
	// Created may remove the object it runs on.
	object->grab();
	engine->addSceneObject(object);
	engine->runCreated(object);
	CSceneObject::syncFromBody(object);
	object->drop();
}

void onClassCreated(CObjectClass* objectClass)
{
	CGameEngine* engine = CGameEngine::peekInstance();
	script::CScriptManager* scripts = engine ? engine->getScriptManager() : nullptr;
	if (!scripts || !objectClass || !objectClass->getModule())
		return;
	script::CScriptModule* module = objectClass->getModule();
	module->setManager(scripts);
	// The binding was made while the module had no engine module, so without a context.
	if (script::SScriptBinding* binding = objectClass->getBinding())
		binding->setModule(module);
}

} // namespace orv
