#pragma once
// The script API that only one kind of scene object has. Each function first
// registers the common scene-object API on its type, then the kind's own.

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

// get_Image and set_Image on "StaticSceneObject".
void registerStaticSceneObjectAPI(AngelScript::asIScriptEngine* engine);
// Direction and animation on "AnimatedSceneObject".
void registerAnimatedSceneObjectAPI(AngelScript::asIScriptEngine* engine);
// Tileset, tile sizes and tile bytes on "TiledSceneObject".
void registerTiledSceneObjectAPI(AngelScript::asIScriptEngine* engine);

} // namespace orv::script
