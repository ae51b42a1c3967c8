#include "script/bindings/ScriptTypes.h"

namespace orv::script {

void registerMatrix4Type(asIScriptEngine *) {}
void registerMatrix4(asIScriptEngine *) {}

} // namespace orv::script
