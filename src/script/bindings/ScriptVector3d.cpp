#include "script/bindings/ScriptTypes.h"

namespace orv::script {

void registerVector3df(asIScriptEngine *) {}
void registerVector3di(asIScriptEngine *) {}

} // namespace orv::script
