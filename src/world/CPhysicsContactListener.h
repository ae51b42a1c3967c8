#pragma once

#include <box2d/box2d.h>

namespace orv {

//! Box2D's contact events, as the physics manager receives them.
class CPhysicsContactListener : public b2ContactListener
{
public:
	~CPhysicsContactListener() override = default;
	void BeginContact(b2Contact* contact) override = 0;
	void EndContact(b2Contact* contact) override = 0;
	void PreSolve(b2Contact* contact, const b2Manifold* oldManifold) override = 0;
	void PostSolve(b2Contact*, const b2ContactImpulse*) override {}
};

} // namespace orv
