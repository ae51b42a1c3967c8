#include "script/bindings/ScriptTypes.h"

namespace orv::script {

void registerRectf(asIScriptEngine *) {}
void registerRecti(asIScriptEngine *) {}

} // namespace orv::script
