#pragma once
// Turns an object id from a packet into the object scripts receive.

#include <irrTypes.h>

namespace orv {
class CSceneObject;
}

namespace orv::script {

// Null for id 0, for an id without an object and while no object manager
// exists; never adds an entry and never makes the manager.
CSceneObject* findSceneObject(irr::u32 id);

} // namespace orv::script
