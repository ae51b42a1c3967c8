#include "script/bindings/ScriptTypes.h"

namespace orv::script {

void registerSColor(asIScriptEngine *) {}

} // namespace orv::script
