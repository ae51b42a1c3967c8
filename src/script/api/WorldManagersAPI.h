#pragma once
// The script faces of the object manager ("Objects") and the physics
// manager ("Physics"); their types are declared by registerWorldAPI.

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

// Both make their manager when it does not exist yet: the global property
// is bound to that instance, so it must live as long as scripts can run (the
// teardown releases the scripts before it ends the managers).
void registerObjectManagerAPI(AngelScript::asIScriptEngine* engine);
void registerPhysicsManagerAPI(AngelScript::asIScriptEngine* engine);

} // namespace orv::script
