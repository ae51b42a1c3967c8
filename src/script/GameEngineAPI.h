#pragma once
// The script face of the application object: the global "Engine".

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

// Methods and the Player property of "GameEngine", then the global "Engine"
// on the engine singleton (made when it does not exist yet).
void registerGameEngineAPI(AngelScript::asIScriptEngine *engine);

} // namespace orv::script
