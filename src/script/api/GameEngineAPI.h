#pragma once
// The script face of the application object: the global "Engine".

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

class IGameHost;

// Methods and the Player property of "GameEngine", then the global "Engine"
// on the host, which must outlive the scripts.
void registerGameEngineAPI(AngelScript::asIScriptEngine* engine, IGameHost* host);

} // namespace orv::script
