#include "script/bindings/ScriptTypes.h"

#include <angelscript.h>

namespace orv::script {

// Placeholder until the text type's bindings land: a plain handle-sized value
// so that declarations naming "string" are accepted.
void declareStringType(asIScriptEngine *engine)
{
	engine->RegisterObjectType("string", sizeof(void *),
		AngelScript::asOBJ_VALUE | AngelScript::asOBJ_POD | AngelScript::asOBJ_APP_PRIMITIVE);
}

void registerString(asIScriptEngine *) {}

} // namespace orv::script
