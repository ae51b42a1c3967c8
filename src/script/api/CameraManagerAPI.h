#pragma once
// The script face of the 2D camera: the global "Camera".

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

// Accessors and the two flags of "CameraManager", then the global "Camera"
// on the camera manager singleton (made when it does not exist yet).
void registerCameraManagerAPI(AngelScript::asIScriptEngine* engine);

} // namespace orv::script
