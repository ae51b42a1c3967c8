#include "net/INetParseHost.h"

#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "world/CSceneObject.h"

namespace orv {

void INetParseHost::runCreated(CSceneObject* object)
{
	if (script::SScriptBinding* binding = object ? object->getBinding() : nullptr)
		binding->callCallback(script::ESC_CREATED, net::packet(), object);
}

} // namespace orv
