#pragma once

namespace orv {

class CSceneObject;

// The node-sync callbacks the engine gives an object when it enters the
// scene: they carry the changed engine attributes (position, scale, image,
// rotation) over to the object's scene node, looked up in the engine's map.
// A node of another class than expected is left alone.

//! Static and tiled objects, whose node is an image node.
void syncImageNode(CSceneObject* object);
//! Animated objects, whose node is a sprite node.
void syncAnimatedNode(CSceneObject* object);
//! Objects without a node.
void syncNoNode(CSceneObject* object);

} // namespace orv
