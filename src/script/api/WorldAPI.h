#pragma once
// The world's script types and their API, for the script host to add at its
// set-up (a ScriptApiRegistrar).

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

// Steps 5 to 9 of the host's set-up: the world's enums, the scene-object
// types, the object and physics managers and their globals.
void registerWorldAPI(AngelScript::asIScriptEngine* engine);

} // namespace orv::script
