#pragma once

#include <type_traits>
#include <vector>

#include <irrTypes.h>
#include <vector2d.h>

#include "world/ShapeBounds.h"

class b2Body;
class b2Shape;

namespace orv {

//! Body types as scripts and levels name them; the numbers are Box2D's.
enum EBodyType : irr::s32
{
	EBT_STATIC = 0,
	EBT_KINETIC = 1,
	EBT_DYNAMIC = 2,
	EBT_COUNT = 3
};

//! Fixture material of the shapes scripts and levels add.
const irr::f32 DEFAULT_SHAPE_DENSITY = 1.0f;
const irr::f32 DEFAULT_SHAPE_FRICTION = 2.0f;
const irr::f32 DEFAULT_SHAPE_RESTITUTION = 0.0f;

//! A scene object's body and whether the object is synchronised with it.
/** Scripts copy this record byte for byte, so a copy names the same body and
    carries its own owner flag. Every operation goes through the physics
    manager, which refuses values Box2D would assert on and waits with world
    changes while the world is locked. A body that is absent (the object was
    made during a step) or already destroyed makes every operation do nothing
    and every getter give zero.

    Sizes and positions of shapes, velocities, forces and impulses are physics
    units; only the points where impulses and forces act are pixels. Rotations
    are degrees, except the angle of a box, which is radians. */
struct SSceneObjectPhysics
{
	b2Body* body = nullptr;
	bool owner = false;

	EBodyType getType() const;
	//! EBT_KINETIC and EBT_DYNAMIC as named; every other value makes the body static.
	void setType(EBodyType type);

	//! Body angle in degrees.
	irr::f32 getRotation() const;
	//! Keeps the position; degrees.
	void setRotation(irr::f32 degrees);

	void addCollisionCircle(irr::f32 radius, const irr::core::vector2df& center,
		irr::f32 density = DEFAULT_SHAPE_DENSITY, irr::f32 friction = DEFAULT_SHAPE_FRICTION,
		irr::f32 restitution = DEFAULT_SHAPE_RESTITUTION);
	//! Half-extents dimension.X and dimension.Y, turned by angle radians about center.
	void addCollisionBox(const irr::core::vector2df& dimension, const irr::core::vector2df& center,
		irr::f32 angle = 0.0f, irr::f32 density = DEFAULT_SHAPE_DENSITY, irr::f32 friction = DEFAULT_SHAPE_FRICTION,
		irr::f32 restitution = DEFAULT_SHAPE_RESTITUTION);
	//! The first 8 points as Box2D would hull them. Points that make no
	//! polygon give the box of half-extents 1; an empty list adds nothing.
	void addCollisionPolygon(const std::vector<irr::core::vector2df>& points, irr::f32 density = DEFAULT_SHAPE_DENSITY,
		irr::f32 friction = DEFAULT_SHAPE_FRICTION, irr::f32 restitution = DEFAULT_SHAPE_RESTITUTION);
	//! An edge from vertex1 to vertex2, colliding from both sides; each ghost
	//! vertex is kept only when its flag is set.
	void addCollisionEdge(const irr::core::vector2df& vertex1, const irr::core::vector2df& vertex2, bool hasGhostBefore,
		bool hasGhostAfter, const irr::core::vector2df& ghostBefore, const irr::core::vector2df& ghostAfter,
		irr::f32 density = DEFAULT_SHAPE_DENSITY, irr::f32 friction = DEFAULT_SHAPE_FRICTION,
		irr::f32 restitution = DEFAULT_SHAPE_RESTITUTION);

	//! A level's shape the physics guard has fitted already, as a fixture of
	//! that material, when the world has room for it (ShapeBounds.h; a
	//! level's object has no bound of its own, a tile map makes many); the
	//! bound that refused it otherwise. The add_collision_* of scripts keep
	//! to the bound of one object as well, and say themselves what they refused.
	EShapeRoom addFittedShape(const b2Shape& shape, irr::f32 density, irr::f32 friction, irr::f32 restitution);

	//! The point is pixels; the impulse physics units. Only a dynamic body reacts.
	void applyImpulse(const irr::core::vector2df& impulse, const irr::core::vector2df& pointPixels);
	//! The point is pixels; the force physics units. Only a dynamic body reacts.
	void applyForce(const irr::core::vector2df& force, const irr::core::vector2df& pointPixels);

	irr::f32 getLinearDampening() const;
	void setLinearDampening(irr::f32 dampening);
	irr::f32 getAngularDampening() const;
	void setAngularDampening(irr::f32 dampening);

	bool getFixedRotation() const;
	//! Recomputes the mass also when the flag stays as it was.
	void setFixedRotation(bool fixed);

	irr::core::vector2df getVelocity() const;
	void setVelocity(const irr::core::vector2df& velocity);

	//! The body when it is alive in the world, else null.
	b2Body* getLiveBody() const;
};

// Scripts hold copies as plain bytes.
static_assert(std::is_trivially_copyable<SSceneObjectPhysics>::value, "the physics record is copied as bytes");

} // namespace orv
