#include "script/bindings/ScriptTypes.h"

namespace orv::script {

void registerVector2df(asIScriptEngine *) {}
void registerVector2di(asIScriptEngine *) {}

} // namespace orv::script
