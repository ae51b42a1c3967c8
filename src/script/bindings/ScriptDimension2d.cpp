#include "script/bindings/ScriptTypes.h"

namespace orv::script {

void registerDimension2df(asIScriptEngine *) {}
void registerDimension2di(asIScriptEngine *) {}

} // namespace orv::script
