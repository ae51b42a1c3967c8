#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <box2d/box2d.h>
#include <irrTypes.h>
#include <vector2d.h>
#include <vector3d.h>

#include "world/CPhysicsContactListener.h"

namespace irr {
namespace video {
class IVideoDriver;
}
} // namespace irr

namespace orv {

class CSceneObject;

//! Begin and end of a contact: the object of fixture A, then that of fixture B.
typedef void (*PhysicsContactCallback)(CSceneObject* object, CSceneObject* other);
//! Pre-solve of a contact: false disables it for this step. The normal points
//! from fixture A to fixture B; the points are world points in physics units.
typedef bool (*PhysicsSolveCallback)(
	CSceneObject* object, CSceneObject* other, const b2Vec2* normal, const b2Vec2* selfPoint, const b2Vec2* otherPoint);

//! The client's one Box2D world: fixed steps, pixels per unit, contact events
//! turned into three plain callbacks, and the only door through which bodies
//! and fixtures change.
/** Box2D asserts when its world changes while it is locked (inside a step,
    where the contact callbacks run scripts) and when a change is made from
    inside another change's own callbacks (a script's OnEndContact run by
    SetType or DestroyFixture). Every such change made through this manager in
    those moments is queued and made, in order, once the world is free again:
    after the step, or when the outer change returns. Values are checked by the
    physics guard first; a refused value is logged on "script" and skipped.

    A body's user data is its scene object (the object pointer itself); a
    contact one of whose bodies has none is not reported. */
class CPhysicsManager : public CPhysicsContactListener
{
public:
	//! Fixed step, seconds.
	static const irr::f32 STEP_SECONDS;
	//! Steps per update at most; the rest waits in the accumulator.
	static const irr::u32 MAX_STEPS_PER_UPDATE = 5;
	//! Changes that wait for the world at most (a contact callback asks for a
	//! few); further ones are refused with one line. Bodies made and
	//! destroyed always wait: each object has one.
	static constexpr std::size_t MAX_QUEUED_CHANGES = 65536;

	//! The singleton, made on first use.
	static CPhysicsManager* getInstance();
	//! The singleton or null; for destructors that run during teardown.
	static CPhysicsManager* getExistingInstance();
	//! Deletes the world, then the manager. Queued changes are dropped first.
	static void destroyInstance();

	CPhysicsManager();
	~CPhysicsManager() override;
	CPhysicsManager(const CPhysicsManager&) = delete;
	CPhysicsManager& operator=(const CPhysicsManager&) = delete;

	void setContactCallbacks(
		PhysicsContactCallback onBegin, PhysicsContactCallback onEnd, PhysicsSolveCallback onSolve);

	//! Adds the seconds to the accumulator and steps while more than one step
	//! is waiting, at most MAX_STEPS_PER_UPDATE times. Before each step the
	//! shapes made or moved since the last one that lie on more than
	//! MAX_STACKED_SHAPES of other bodies are taken away (ShapeBounds.h), with
	//! one line a game. After each step the bodies' accumulated forces are
	//! zero and queued changes are made.
	void update(irr::f32 seconds);
	irr::f32 getAccumulator() const { return Accumulator; }
	void setAccumulator(irr::f32 seconds) { Accumulator = seconds; }

	irr::core::vector2df getGravity() const;
	//! Physics units per second squared; a value that is not finite is refused.
	void setGravity(const irr::core::vector2df& gravity);
	irr::u8 getPixelsPerUnit() const { return PixelsPerUnit; }
	//! 0 is refused: every conversion divides by it.
	void setPixelsPerUnit(irr::u8 pixelsPerUnit);

	b2World* getWorld() const { return World; }
	//! Tells this manager's world from those of managers before it.
	irr::u64 getWorldSerial() const { return WorldSerial; }
	//! True while a change would have to wait (inside a step or inside the
	//! callbacks of another change).
	bool isLocked() const;
	//! Runs the operation now when the world is free, else once it is; queued
	//! operations run in the order they were asked for. Whoever queues an
	//! operation that refers to an object keeps that object alive for it.
	void runWhenUnlocked(std::function<void()> operation);

	//! Makes a body and stores it in the slot, now or once the world is free
	//! (the slot is null meanwhile). The slot must be the owner's field, and the
	//! owner must call destroyBody on it before the field goes away.
	void createBody(b2Body*& slot, const b2BodyDef& def);
	//! True while the slot waits for a body that createBody queued.
	bool isBodyPending(b2Body* const* slot) const;
	//! Clears the body's user data, so no contact of it reaches a script any
	//! more, forgets a creation still queued for the slot, nulls the slot and
	//! destroys the body now or once the world is free.
	void destroyBody(b2Body*& slot);
	//! Whether the pointer names a body of this world that is not being destroyed.
	bool isLiveBody(const b2Body* body) const;

	//! Null when refused, or when queued (the fixture is made later).
	b2Fixture* createFixture(b2Body* body, const b2FixtureDef& def);
	void destroyFixture(b2Body* body, b2Fixture* fixture);
	void setType(b2Body* body, b2BodyType type);
	//! Position in physics units, angle in radians.
	void setTransform(b2Body* body, const b2Vec2& position, irr::f32 angle);
	//! Sets the flag and recomputes the mass data, also when the flag stays.
	void setFixedRotation(b2Body* body, bool fixed);

	//! Wakes a dynamic body and accumulates force and torque for its next step.
	void applyForce(b2Body* body, const b2Vec2& force, const b2Vec2& point);
	void applyLinearImpulse(b2Body* body, const b2Vec2& impulse, const b2Vec2& point);
	void setLinearVelocity(b2Body* body, const b2Vec2& velocity);
	void setLinearDamping(b2Body* body, irr::f32 damping);
	void setAngularDamping(b2Body* body, irr::f32 damping);
	//! What applyForce gathered on the body since the last step; Box2D keeps it
	//! but does not hand it out.
	b2Vec2 getAccumulatedForce(const b2Body* body) const;
	irr::f32 getAccumulatedTorque(const b2Body* body) const;

	//! Reports every fixture whose bounding box overlaps the box, in Box2D's
	//! order; false (nothing reported) when a corner is not finite or the box
	//! is turned inside out.
	bool queryBox(b2QueryCallback& callback, const b2Vec2& lower, const b2Vec2& upper) const;

	static CSceneObject* getBodyObject(const b2Body* body);
	static void setBodyObject(b2Body* body, CSceneObject* object);

	//! The debug view: the fixtures of every scene object, in ascending id,
	//! whose image was drawn this frame and that has a body. Nothing without
	//! a driver.
	void debugDraw(irr::video::IVideoDriver* driver) const;
	//! Draws the fixtures of one body at a position in pixels: polygons in red,
	//! edges and chains in white, circles not at all.
	void debugDrawBody(
		irr::video::IVideoDriver* driver, const b2Body* body, const irr::core::vector3df& position) const;

	void BeginContact(b2Contact* contact) override;
	void EndContact(b2Contact* contact) override;
	void PreSolve(b2Contact* contact, const b2Manifold* oldManifold) override;

private:
	struct SBodyForce
	{
		b2Vec2 force{0.0f, 0.0f};
		irr::f32 torque = 0.0f;
	};

	// Runs a change to the world with the guard depth raised, then whatever it
	// queued.
	template <typename F> void change(F&& f);
	//! Keeps the change for when the world is free, within MAX_QUEUED_CHANGES.
	void queue(std::function<void()> operation);
	void runQueued();
	void refuse(const char* what) const;
	//! The body's shapes were made or moved: Box2D pairs them in the next step.
	void markPlaced(b2Body* body);
	void takeAwayPiledShapes();

	PhysicsContactCallback OnBegin = nullptr;
	PhysicsContactCallback OnEnd = nullptr;
	PhysicsSolveCallback OnSolve = nullptr;
	b2World* World = nullptr;
	irr::u64 WorldSerial;
	irr::f32 Accumulator = 0.0f;
	irr::u8 PixelsPerUnit = 16;

	irr::u32 ChangeDepth = 0;
	bool RunningQueue = false;
	std::vector<std::function<void()>> Queue;
	std::unordered_set<const b2Body*> LiveBodies;
	std::map<b2Body**, irr::u32> PendingSlots; // slot -> generation of its queued creation
	irr::u32 NextGeneration = 0;
	std::unordered_map<const b2Body*, SBodyForce> Forces;
	// Bodies placed since the last step, in the order they were first placed.
	std::unordered_set<b2Body*> PlacedBodies;
	std::vector<b2Body*> PlacedOrder;
};

} // namespace orv
