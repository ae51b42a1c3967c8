#include "world/CPhysicsManager.h"

#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "base/Refusal.h"
#include "world/PhysicsGuard.h"
#include "world/ShapeBounds.h"

using irr::f32;
using irr::f64;
using irr::u32;

namespace orv {

const f32 CPhysicsManager::STEP_SECONDS = 1.0f / 60.0f;

namespace {

CPhysicsManager* instance = nullptr;

// A shape copy that outlives the caller's, for a fixture made later. Chains
// own their vertex array and are never queued.
std::shared_ptr<b2Shape> copyShape(const b2Shape& shape)
{
	switch (shape.GetType())
	{
	case b2Shape::e_circle:
		return std::make_shared<b2CircleShape>(static_cast<const b2CircleShape&>(shape));
	case b2Shape::e_edge:
		return std::make_shared<b2EdgeShape>(static_cast<const b2EdgeShape&>(shape));
	case b2Shape::e_polygon:
		return std::make_shared<b2PolygonShape>(static_cast<const b2PolygonShape&>(shape));
	default:
		return nullptr;
	}
}

bool hasFixture(const b2Body* body, const b2Fixture* fixture)
{
	for (const b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext())
		if (f == fixture)
			return true;
	return false;
}

} // namespace

template <typename F> void CPhysicsManager::change(F&& f)
{
	++ChangeDepth;
	f();
	--ChangeDepth;
	if (!isLocked())
		runQueued();
}

CPhysicsManager* CPhysicsManager::getInstance()
{
	if (!instance)
		instance = new CPhysicsManager();
	return instance;
}

CPhysicsManager* CPhysicsManager::getExistingInstance()
{
	return instance;
}

void CPhysicsManager::destroyInstance()
{
	delete instance;
	instance = nullptr;
}

CPhysicsManager::CPhysicsManager()
{
	static irr::u64 lastSerial = 0;
	WorldSerial = ++lastSerial;
	World = new b2World(b2Vec2(0.0f, 0.0f));
	World->SetContactListener(this);
}

CPhysicsManager::~CPhysicsManager()
{
	// Queued operations may hold the last reference to an object whose
	// destructor comes back here to destroy its body: let that happen while
	// the world still stands.
	std::vector<std::function<void()>> dropped;
	dropped.swap(Queue);
	dropped.clear();
	PendingSlots.clear();
	delete World;
	World = nullptr;
	LiveBodies.clear();
	PlacedBodies.clear();
	PlacedOrder.clear();
	Forces.clear();
}

void CPhysicsManager::setContactCallbacks(
	PhysicsContactCallback onBegin, PhysicsContactCallback onEnd, PhysicsSolveCallback onSolve)
{
	OnBegin = onBegin;
	OnEnd = onEnd;
	OnSolve = onSolve;
}

void CPhysicsManager::update(f32 seconds)
{
	if (!std::isfinite(seconds))
		return;
	Accumulator += seconds;
	u32 steps = 0;
	while (Accumulator > STEP_SECONDS && steps < MAX_STEPS_PER_UPDATE)
	{
		takeAwayPiledShapes();
		World->Step(STEP_SECONDS, 10, 10);
		// The step clears them itself unless told not to.
		if (!World->GetAutoClearForces())
			World->ClearForces();
		Forces.clear();
		// Taken before the queue runs: a queued operation may restart the
		// clock (a level loaded from a contact) and must find it as it leaves it.
		Accumulator = static_cast<f32>(static_cast<f64>(Accumulator) - 1.0 / 60.0);
		runQueued();
		++steps;
	}
}

irr::core::vector2df CPhysicsManager::getGravity() const
{
	const b2Vec2 g = World->GetGravity();
	return irr::core::vector2df(g.x, g.y);
}

void CPhysicsManager::setGravity(const irr::core::vector2df& gravity)
{
	const b2Vec2 g(gravity.X, gravity.Y);
	if (!orv::isWithin(g, orv::PHYSICS_MAX_MOTION))
		return refuse("Gravity");
	World->SetGravity(g);
}

void CPhysicsManager::setPixelsPerUnit(irr::u8 pixelsPerUnit)
{
	if (pixelsPerUnit == 0)
		return refuse("PixelsPerUnit of 0");
	PixelsPerUnit = pixelsPerUnit;
}

bool CPhysicsManager::isLocked() const
{
	return ChangeDepth > 0 || World->IsLocked();
}

void CPhysicsManager::runWhenUnlocked(std::function<void()> operation)
{
	if (!operation)
		return;
	if (isLocked())
	{
		queue(std::move(operation));
		return;
	}
	change([&] { operation(); });
}

void CPhysicsManager::queue(std::function<void()> operation)
{
	// A script in a contact callback may ask for changes in a loop: what
	// waits is bounded, and the rest is refused as a whole.
	if (Queue.size() >= MAX_QUEUED_CHANGES)
		return reportRefusalOnce("script", "script: physics changes waiting",
			"A change to the physics world is refused: " + std::to_string(MAX_QUEUED_CHANGES) +
				" wait for the step to end already.");
	Queue.push_back(std::move(operation));
}

void CPhysicsManager::runQueued()
{
	// Operations queued by queued operations join the end of this run.
	if (RunningQueue)
		return;
	RunningQueue = true;
	for (size_t i = 0; i < Queue.size(); ++i)
	{
		// Each operation is a guarded call of its own and raises the depth
		// itself, so what it sets off in turn is queued behind it.
		std::function<void()> operation = std::move(Queue[i]);
		operation();
	}
	Queue.clear();
	RunningQueue = false;
}

void CPhysicsManager::markPlaced(b2Body* body)
{
	if (PlacedBodies.insert(body).second)
		PlacedOrder.push_back(body);
}

void CPhysicsManager::takeAwayPiledShapes()
{
	// In the order they were placed: of a pile the shapes placed last stay.
	std::vector<b2Body*> placed;
	placed.swap(PlacedOrder);
	PlacedBodies.clear();
	for (b2Body* body : placed)
	{
		if (!isLiveBody(body))
			continue;
		std::vector<b2Fixture*> piled;
		for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext())
			if (orv::isShapePiled(*fixture))
				piled.push_back(fixture);
		if (piled.empty())
			continue;
		reportRefusalOnce("core", "world: stacked shapes",
			"Collision shapes that lie on more than " + std::to_string(MAX_STACKED_SHAPES) +
				" shapes of other objects in one place are taken away as the world steps.");
		for (b2Fixture* fixture : piled)
			destroyFixture(body, fixture);
	}
	// What scripts the removals set off placed meanwhile waits for the next step.
}

void CPhysicsManager::refuse(const char* what) const
{
	// A script may ask for the same bad value in a loop: one line a kind.
	const std::string kind = std::string("script: physics ") + what;
	reportRefusalOnce("script", kind.c_str(), std::string(what) + " refused by the physics world.");
}

void CPhysicsManager::createBody(b2Body*& slot, const b2BodyDef& def)
{
	if (!orv::isWithin(def.position, orv::PHYSICS_MAX_POSITION) || !std::isfinite(def.angle) ||
		!orv::isWithin(def.linearVelocity, orv::PHYSICS_MAX_MOTION) ||
		!orv::isWithin(def.angularVelocity, orv::PHYSICS_MAX_MOTION) ||
		!orv::isWithin(def.linearDamping, orv::PHYSICS_MAX_MOTION) ||
		!orv::isWithin(def.angularDamping, orv::PHYSICS_MAX_MOTION) || !std::isfinite(def.gravityScale))
		return refuse("Body");
	slot = nullptr;
	if (isLocked())
	{
		b2Body** where = &slot;
		const u32 generation = ++NextGeneration;
		PendingSlots[where] = generation;
		Queue.push_back([this, where, generation, def] {
			const auto pending = PendingSlots.find(where);
			if (pending == PendingSlots.end() || pending->second != generation)
				return;
			PendingSlots.erase(pending);
			++ChangeDepth;
			*where = World->CreateBody(&def);
			--ChangeDepth;
			LiveBodies.insert(*where);
		});
		return;
	}
	change([&] {
		slot = World->CreateBody(&def);
		LiveBodies.insert(slot);
	});
}

bool CPhysicsManager::isBodyPending(b2Body* const* slot) const
{
	return PendingSlots.count(const_cast<b2Body**>(slot)) != 0;
}

void CPhysicsManager::destroyBody(b2Body*& slot)
{
	PendingSlots.erase(&slot);
	b2Body* body = slot;
	slot = nullptr;
	if (!body || !LiveBodies.erase(body))
		return;
	body->GetUserData().pointer = 0;
	Forces.erase(body);
	PlacedBodies.erase(body);
	if (isLocked())
	{
		Queue.push_back([this, body] {
			++ChangeDepth;
			World->DestroyBody(body);
			--ChangeDepth;
		});
		return;
	}
	change([&] { World->DestroyBody(body); });
}

bool CPhysicsManager::isLiveBody(const b2Body* body) const
{
	return body && LiveBodies.count(body) != 0;
}

b2Fixture* CPhysicsManager::createFixture(b2Body* body, const b2FixtureDef& def)
{
	if (!isLiveBody(body))
		return nullptr;
	if (!orv::isFixtureDefUsable(def))
	{
		refuse("Collision shape");
		return nullptr;
	}
	if (isLocked())
	{
		std::shared_ptr<b2Shape> shape = copyShape(*def.shape);
		if (!shape)
		{
			refuse("Chain shape while the world steps");
			return nullptr;
		}
		queue([this, body, def, shape] {
			b2FixtureDef later = def;
			later.shape = shape.get();
			createFixture(body, later);
		});
		return nullptr;
	}
	if (!orv::isMassSafe(*body, body->GetType(), body->IsFixedRotation(), &def))
	{
		refuse("Collision shape far from its body");
		return nullptr;
	}
	b2Fixture* fixture = nullptr;
	change([&] { fixture = body->CreateFixture(&def); });
	markPlaced(body);
	return fixture;
}

void CPhysicsManager::destroyFixture(b2Body* body, b2Fixture* fixture)
{
	if (!isLiveBody(body) || !fixture)
		return;
	if (isLocked())
	{
		queue([this, body, fixture] { destroyFixture(body, fixture); });
		return;
	}
	if (!hasFixture(body, fixture))
		return;
	if (!orv::isMassSafe(*body, body->GetType(), body->IsFixedRotation(), nullptr, fixture))
		return refuse("Removing the collision shape");
	change([&] { body->DestroyFixture(fixture); });
}

void CPhysicsManager::setType(b2Body* body, b2BodyType type)
{
	if (!isLiveBody(body))
		return;
	if (isLocked())
	{
		queue([this, body, type] { setType(body, type); });
		return;
	}
	if (!orv::isMassSafe(*body, type, body->IsFixedRotation()))
		return refuse("Body type");
	Forces.erase(body);
	change([&] { body->SetType(type); });
}

void CPhysicsManager::setTransform(b2Body* body, const b2Vec2& position, f32 angle)
{
	if (!isLiveBody(body))
		return;
	if (!orv::isWithin(position, orv::PHYSICS_MAX_POSITION) || !std::isfinite(angle))
		return refuse("Position or rotation");
	if (isLocked())
	{
		queue([this, body, position, angle] { setTransform(body, position, angle); });
		return;
	}
	change([&] { body->SetTransform(position, angle); });
	markPlaced(body);
}

void CPhysicsManager::setFixedRotation(b2Body* body, bool fixed)
{
	if (!isLiveBody(body))
		return;
	if (isLocked())
	{
		queue([this, body, fixed] { setFixedRotation(body, fixed); });
		return;
	}
	if (!orv::isMassSafe(*body, body->GetType(), fixed))
		return refuse("Rotation flag");
	change([&] {
		body->SetFixedRotation(fixed);
		// SetFixedRotation returns early when the flag does not change.
		body->ResetMassData();
	});
}

void CPhysicsManager::applyForce(b2Body* body, const b2Vec2& force, const b2Vec2& point)
{
	if (!isLiveBody(body))
		return;
	if (!orv::isWithin(force, orv::PHYSICS_MAX_MOTION) || !orv::isWithin(point, orv::PHYSICS_MAX_MOTION))
		return refuse("Force");
	body->ApplyForce(force, point, true);
	if (body->GetType() == b2_dynamicBody && body->IsAwake())
	{
		SBodyForce& record = Forces[body];
		record.force += force;
		record.torque += b2Cross(point - body->GetWorldCenter(), force);
	}
}

void CPhysicsManager::applyLinearImpulse(b2Body* body, const b2Vec2& impulse, const b2Vec2& point)
{
	if (!isLiveBody(body))
		return;
	if (!orv::isWithin(impulse, orv::PHYSICS_MAX_MOTION) || !orv::isWithin(point, orv::PHYSICS_MAX_MOTION))
		return refuse("Impulse");
	body->ApplyLinearImpulse(impulse, point, true);
}

void CPhysicsManager::setLinearVelocity(b2Body* body, const b2Vec2& velocity)
{
	if (!isLiveBody(body))
		return;
	if (!orv::isWithin(velocity, orv::PHYSICS_MAX_MOTION))
		return refuse("Velocity");
	body->SetLinearVelocity(velocity);
}

void CPhysicsManager::setLinearDamping(b2Body* body, f32 damping)
{
	if (!isLiveBody(body))
		return;
	if (!orv::isWithin(damping, orv::PHYSICS_MAX_MOTION) || damping < 0.0f)
		return refuse("Damping");
	body->SetLinearDamping(damping);
}

void CPhysicsManager::setAngularDamping(b2Body* body, f32 damping)
{
	if (!isLiveBody(body))
		return;
	if (!orv::isWithin(damping, orv::PHYSICS_MAX_MOTION) || damping < 0.0f)
		return refuse("Damping");
	body->SetAngularDamping(damping);
}

b2Vec2 CPhysicsManager::getAccumulatedForce(const b2Body* body) const
{
	// Every object's sync asks, and mostly nothing pushes: the empty map is
	// not even hashed.
	if (Forces.empty())
		return b2Vec2(0.0f, 0.0f);
	const auto found = Forces.find(body);
	return found == Forces.end() ? b2Vec2(0.0f, 0.0f) : found->second.force;
}

f32 CPhysicsManager::getAccumulatedTorque(const b2Body* body) const
{
	if (Forces.empty())
		return 0.0f;
	const auto found = Forces.find(body);
	return found == Forces.end() ? 0.0f : found->second.torque;
}

bool CPhysicsManager::queryBox(b2QueryCallback& callback, const b2Vec2& lower, const b2Vec2& upper) const
{
	if (!isFiniteVector(lower) || !isFiniteVector(upper) || lower.x > upper.x || lower.y > upper.y)
		return false;
	b2AABB box;
	box.lowerBound = lower;
	box.upperBound = upper;
	World->QueryAABB(&callback, box);
	return true;
}

CSceneObject* CPhysicsManager::getBodyObject(const b2Body* body)
{
	// Box2D 2.4.1 has no const accessor of the user data.
	return body ? reinterpret_cast<CSceneObject*>(const_cast<b2Body*>(body)->GetUserData().pointer) : nullptr;
}

void CPhysicsManager::setBodyObject(b2Body* body, CSceneObject* object)
{
	if (body)
		body->GetUserData().pointer = reinterpret_cast<uintptr_t>(object);
}

void CPhysicsManager::BeginContact(b2Contact* contact)
{
	if (!OnBegin)
		return;
	CSceneObject* a = getBodyObject(contact->GetFixtureA()->GetBody());
	CSceneObject* b = getBodyObject(contact->GetFixtureB()->GetBody());
	if (a && b)
		OnBegin(a, b);
}

void CPhysicsManager::EndContact(b2Contact* contact)
{
	if (!OnEnd)
		return;
	CSceneObject* a = getBodyObject(contact->GetFixtureA()->GetBody());
	CSceneObject* b = getBodyObject(contact->GetFixtureB()->GetBody());
	if (a && b)
		OnEnd(a, b);
}

void CPhysicsManager::PreSolve(b2Contact* contact, const b2Manifold*)
{
	if (!OnSolve)
		return;
	const b2Fixture* fixtureA = contact->GetFixtureA();
	const b2Fixture* fixtureB = contact->GetFixtureB();
	const b2Body* bodyA = fixtureA->GetBody();
	const b2Body* bodyB = fixtureB->GetBody();
	CSceneObject* a = getBodyObject(bodyA);
	CSceneObject* b = getBodyObject(bodyB);
	if (!a || !b)
		return;

	// Points the manifold does not fill stay zero.
	b2WorldManifold manifold;
	manifold.normal.SetZero();
	for (int i = 0; i < b2_maxManifoldPoints; ++i)
	{
		manifold.points[i].SetZero();
		manifold.separations[i] = 0.0f;
	}
	manifold.Initialize(contact->GetManifold(), bodyA->GetTransform(), fixtureA->GetShape()->m_radius,
		bodyB->GetTransform(), fixtureB->GetShape()->m_radius);

	bool enabled = OnSolve(a, b, &manifold.normal, &manifold.points[0], &manifold.points[1]);
	if (enabled)
	{
		// The first script may have let either object go.
		a = getBodyObject(bodyA);
		b = getBodyObject(bodyB);
		if (a && b)
			enabled = OnSolve(b, a, &manifold.normal, &manifold.points[0], &manifold.points[1]);
	}
	contact->SetEnabled(enabled);
}

} // namespace orv
