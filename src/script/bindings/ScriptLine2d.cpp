#include "script/bindings/ScriptTypes.h"

namespace orv::script {

void registerLine2df(asIScriptEngine *) {}
void registerLine2di(asIScriptEngine *) {}

} // namespace orv::script
