#include "engine/CGameEngine.h"

#include "base/Refusal.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

#include <angelscript.h>

#include <string>

namespace orv {

namespace {

// Created calls that wait at most; past it a flood of them (a server that
// sends objects faster than their Created calls can run) is refused. Each
// holds its object until it runs.
const size_t MAX_WAITING_CREATED = 65536;

script::SScriptBinding* createdBinding(CSceneObject* object, script::SScriptBinding* client)
{
	script::SScriptBinding* binding = object ? object->getBinding() : client;
	const script::CScriptModule* module = binding ? binding->getModule() : nullptr;
	return module && module->getCallbackId(script::ESC_CREATED) != AngelScript::asNO_FUNCTION ? binding : nullptr;
}

} // namespace

void CGameEngine::runCreated(CSceneObject* object)
{
	script::SScriptBinding* binding = createdBinding(object, ClientBinding);
	if (!binding || !ScriptManager)
		return;
	// In order: once one waits, those after it wait behind it.
	if (WaitingCreated.empty() && ScriptManager->mayStartOwnRun())
	{
		runCreatedNow(object, binding);
		return;
	}
	if (WaitingCreated.size() >= MAX_WAITING_CREATED)
	{
		reportRefusalOnce("script", "script: waiting Created calls",
			"Created of object " + std::to_string(object ? object->getId() : 0) +
				" is dropped: " + std::to_string(MAX_WAITING_CREATED) + " Created calls already wait for script time.");
		return;
	}
	if (object)
		object->grab();
	WaitingCreated.push_back(object);
}

void CGameEngine::runCreatedNow(CSceneObject* object, script::SScriptBinding* binding)
{
	ScriptManager->beginOwnRun();
	binding->callCallback(script::ESC_CREATED, net::packet(), object);
	ScriptManager->endOwnRun();
}

void CGameEngine::runWaitingCreated()
{
	const CObjectManager* objects = CObjectManager::getExistingInstance();
	while (!WaitingCreated.empty() && ScriptManager && ScriptManager->mayStartOwnRun())
	{
		// Off the queue first: the Created calls it asks for run at once.
		CSceneObject* object = WaitingCreated.front();
		WaitingCreated.pop_front();
		// An object that left the world meanwhile has nothing to set up.
		const bool inWorld = !object || (objects && objects->getSceneObject(object->getId()) == object);
		if (script::SScriptBinding* binding = inWorld ? createdBinding(object, ClientBinding) : nullptr)
		{
			runCreatedNow(object, binding);
			if (object)
				CSceneObject::syncFromBody(object);
		}
		if (object)
			object->drop();
	}
}

void CGameEngine::dropWaitingCreated()
{
	std::deque<CSceneObject*> waiting;
	waiting.swap(WaitingCreated);
	for (CSceneObject* object : waiting)
		if (object)
			object->drop();
}

} // namespace orv
