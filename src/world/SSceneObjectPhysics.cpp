#include "world/SSceneObjectPhysics.h"

#include <box2d/box2d.h>

#include <memory>
#include <string>

#include "base/Refusal.h"
#include "world/AngleUnits.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/PhysicsGuard.h"
#include "world/ShapeBounds.h"

using irr::f32;
using irr::core::vector2df;

namespace orv {

namespace {

b2Vec2 toB2(const vector2df& v)
{
	return b2Vec2(v.X, v.Y);
}

// A script may ask for the same bad shape every frame: one line a kind.
void refuseShape(const char* kind, const char* line)
{
	reportRefusalOnce("script", kind, line);
}

void refuseRoom(EShapeRoom room, const char* shapeName, const b2Body& body)
{
	const CSceneObject* object = CPhysicsManager::getBodyObject(&body);
	const std::string owner = object ? "object (" + std::to_string(object->getId()) + ")" : "its object";
	const std::string refused = std::string(shapeName) + " refused: ";
	switch (room)
	{
	case ESR_OBJECT_FULL:
		return reportRefusalOnce("script", "script: shapes per object",
			refused + owner + " has " + std::to_string(MAX_SHAPES_PER_OBJECT) +
				" collision shapes, the most one object takes.");
	case ESR_WORLD_FULL:
		return reportRefusalOnce("script", "script: shapes",
			refused + "the world holds " + std::to_string(MAX_WORLD_SHAPES) + " collision shapes, the most it takes.");
	default:
		return;
	}
}

// A script's shape within the bounds of one object and of the world, which
// are asked when it is made: while the world steps it waits, and so does the
// count it must fit. A pile is the world's to find as it steps.
template <typename TShape>
void addScriptShape(
	b2Body* body, const TShape& shape, const char* shapeName, f32 density, f32 friction, f32 restitution)
{
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	if (physics->isLocked())
	{
		const std::shared_ptr<TShape> later = std::make_shared<TShape>(shape);
		physics->runWhenUnlocked([physics, body, later, shapeName, density, friction, restitution] {
			if (physics->isLiveBody(body))
				addScriptShape(body, *later, shapeName, density, friction, restitution);
		});
		return;
	}
	const EShapeRoom room = findShapeRoom(*body, shape, MAX_SHAPES_PER_OBJECT);
	if (room != ESR_FITS)
		return refuseRoom(room, shapeName, *body);
	b2FixtureDef def;
	def.shape = &shape;
	def.density = density;
	def.friction = friction;
	def.restitution = restitution;
	physics->createFixture(body, def);
}

} // namespace

b2Body* SSceneObjectPhysics::getLiveBody() const
{
	const CPhysicsManager* physics = CPhysicsManager::getExistingInstance();
	return physics && physics->isLiveBody(body) ? body : nullptr;
}

EShapeRoom SSceneObjectPhysics::addFittedShape(const b2Shape& shape, f32 density, f32 friction, f32 restitution)
{
	b2Body* live = getLiveBody();
	if (!live)
		return ESR_FITS;
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	// Levels load between steps; one asked for inside a step waits for its end.
	if (!physics->isLocked())
	{
		const EShapeRoom room = findShapeRoom(*live, shape, MAX_WORLD_SHAPES);
		if (room != ESR_FITS)
			return room;
	}
	b2FixtureDef def;
	def.shape = &shape;
	def.density = density;
	def.friction = friction;
	def.restitution = restitution;
	physics->createFixture(live, def);
	return ESR_FITS;
}

EBodyType SSceneObjectPhysics::getType() const
{
	const b2Body* live = getLiveBody();
	if (!live)
		return EBT_STATIC;
	switch (live->GetType())
	{
	case b2_kinematicBody:
		return EBT_KINETIC;
	case b2_dynamicBody:
		return EBT_DYNAMIC;
	default:
		return EBT_STATIC;
	}
}

void SSceneObjectPhysics::setType(EBodyType type)
{
	b2Body* live = getLiveBody();
	if (!live)
		return;
	CPhysicsManager::getInstance()->setType(live, bodyTypeFromNumber(type));
}

f32 SSceneObjectPhysics::getRotation() const
{
	const b2Body* live = getLiveBody();
	return live ? live->GetAngle() * DEGREES_PER_RADIAN : 0.0f;
}

void SSceneObjectPhysics::setRotation(f32 degrees)
{
	b2Body* live = getLiveBody();
	if (!live)
		return;
	// While the world is locked this waits; the position is read when it runs,
	// so a move queued before it is kept.
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	const f32 angle = degrees * RADIANS_PER_DEGREE;
	physics->runWhenUnlocked([physics, live, angle] {
		if (physics->isLiveBody(live))
			physics->setTransform(live, live->GetPosition(), angle);
	});
}

void SSceneObjectPhysics::addCollisionCircle(
	f32 radius, const vector2df& center, f32 density, f32 friction, f32 restitution)
{
	b2Body* live = getLiveBody();
	if (!live)
		return;
	b2CircleShape circle;
	if (fitCircle(circle, radius, toB2(center)) == ESF_REFUSED)
		return refuseShape(
			"script: collision circle values", "Collision circle refused: its radius or centre is out of range.");
	addScriptShape(live, circle, "Collision circle", density, friction, restitution);
}

void SSceneObjectPhysics::addCollisionBox(
	const vector2df& dimension, const vector2df& center, f32 angle, f32 density, f32 friction, f32 restitution)
{
	b2Body* live = getLiveBody();
	if (!live)
		return;
	b2PolygonShape box;
	if (fitBox(box, dimension.X, dimension.Y, toB2(center), angle) == ESF_REFUSED)
		return refuseShape(
			"script: collision box values", "Collision box refused: its size, centre or angle is out of range.");
	addScriptShape(live, box, "Collision box", density, friction, restitution);
}

void SSceneObjectPhysics::addCollisionPolygon(
	const std::vector<vector2df>& points, f32 density, f32 friction, f32 restitution)
{
	b2Body* live = getLiveBody();
	if (!live || points.empty())
		return;
	std::vector<b2Vec2> vertices;
	vertices.reserve(points.size());
	for (const vector2df& p : points)
		vertices.push_back(toB2(p));
	b2PolygonShape polygon;
	const EShapeFit fit = fitPolygon(polygon, vertices.data(), static_cast<irr::u32>(vertices.size()));
	if (fit == ESF_REFUSED)
		return refuseShape("script: collision polygon values", "Collision polygon refused: a point is out of range.");
	if (fit == ESF_FALLBACK_BOX)
		refuseShape("script: collision polygon area",
			"Collision polygon has no area; a box of half-extents 1 stands in for it.");
	addScriptShape(live, polygon, "Collision polygon", density, friction, restitution);
}

void SSceneObjectPhysics::addCollisionEdge(const vector2df& vertex1, const vector2df& vertex2, bool hasGhostBefore,
	bool hasGhostAfter, const vector2df& ghostBefore, const vector2df& ghostAfter, f32 density, f32 friction,
	f32 restitution)
{
	b2Body* live = getLiveBody();
	if (!live)
		return;
	const b2Vec2 before = toB2(ghostBefore);
	const b2Vec2 after = toB2(ghostAfter);
	b2EdgeShape edge;
	if (fitEdge(edge, toB2(vertex1), toB2(vertex2), hasGhostBefore ? &before : nullptr,
			hasGhostAfter ? &after : nullptr) == ESF_REFUSED)
		return refuseShape("script: collision edge values",
			"Collision edge refused: a vertex is out of range or the edge has no length.");
	addScriptShape(live, edge, "Collision edge", density, friction, restitution);
}

void SSceneObjectPhysics::applyImpulse(const vector2df& impulse, const vector2df& pointPixels)
{
	b2Body* live = getLiveBody();
	if (!live)
		return;
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	const f32 ppu = static_cast<f32>(physics->getPixelsPerUnit());
	physics->applyLinearImpulse(live, toB2(impulse), b2Vec2(pointPixels.X / ppu, pointPixels.Y / ppu));
}

void SSceneObjectPhysics::applyForce(const vector2df& force, const vector2df& pointPixels)
{
	b2Body* live = getLiveBody();
	if (!live)
		return;
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	const f32 ppu = static_cast<f32>(physics->getPixelsPerUnit());
	physics->applyForce(live, toB2(force), b2Vec2(pointPixels.X / ppu, pointPixels.Y / ppu));
}

f32 SSceneObjectPhysics::getLinearDampening() const
{
	const b2Body* live = getLiveBody();
	return live ? live->GetLinearDamping() : 0.0f;
}

void SSceneObjectPhysics::setLinearDampening(f32 dampening)
{
	if (b2Body* live = getLiveBody())
		CPhysicsManager::getInstance()->setLinearDamping(live, dampening);
}

f32 SSceneObjectPhysics::getAngularDampening() const
{
	const b2Body* live = getLiveBody();
	return live ? live->GetAngularDamping() : 0.0f;
}

void SSceneObjectPhysics::setAngularDampening(f32 dampening)
{
	if (b2Body* live = getLiveBody())
		CPhysicsManager::getInstance()->setAngularDamping(live, dampening);
}

bool SSceneObjectPhysics::getFixedRotation() const
{
	const b2Body* live = getLiveBody();
	return live && live->IsFixedRotation();
}

void SSceneObjectPhysics::setFixedRotation(bool fixed)
{
	if (b2Body* live = getLiveBody())
		CPhysicsManager::getInstance()->setFixedRotation(live, fixed);
}

vector2df SSceneObjectPhysics::getVelocity() const
{
	const b2Body* live = getLiveBody();
	if (!live)
		return vector2df(0.0f, 0.0f);
	const b2Vec2 v = live->GetLinearVelocity();
	return vector2df(v.x, v.y);
}

void SSceneObjectPhysics::setVelocity(const vector2df& velocity)
{
	if (b2Body* live = getLiveBody())
		CPhysicsManager::getInstance()->setLinearVelocity(live, toB2(velocity));
}

} // namespace orv
