#include "script/bindings/ScriptTypes.h"

namespace orv::script {

void registerAabbox3d(asIScriptEngine *) {}

} // namespace orv::script
