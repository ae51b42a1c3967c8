#pragma once

#include <box2d/box2d.h>

namespace orv {

class CSceneObject;

//! OnBeginContact in the object's own module, the other object as `other`.
void onBeginContact(CSceneObject* object, CSceneObject* other);
//! OnEndContact in the object's own module, the other object as `other`.
void onEndContact(CSceneObject* object, CSceneObject* other);
//! OnSolveContact in the object's own module; true (the contact stays) when
//! the module has none. Physics units: the normal from fixture A to B and the
//! two world points of the manifold.
bool onSolveContact(
	CSceneObject* object, CSceneObject* other, const b2Vec2* normal, const b2Vec2* selfPoint, const b2Vec2* otherPoint);

} // namespace orv
