#include "script/bindings/ScriptTypes.h"

namespace orv::script {

void registerLine3df(asIScriptEngine *) {}
void registerLine3di(asIScriptEngine *) {}

} // namespace orv::script
