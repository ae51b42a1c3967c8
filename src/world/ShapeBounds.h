#pragma once
// How many collision shapes the physics world takes, whoever adds them: a
// server, a level or a script. Every shape costs the broad phase each step,
// and shapes piled in one place cost the square of their number: each new
// shape is paired with every one it overlaps before Box2D looks at whether
// the two can collide at all (16,000 circles on one spot take 12 s and
// 1.8 GB in the next step), and new objects start at the origin. The bounds
// lie far beyond any game; each path refuses in its own words.

#include <cstddef>

class b2Body;
class b2Shape;
class b2World;
struct b2AABB;
struct b2Transform;

namespace orv {

//! Shapes a server or a script gives one object. A level's tile map makes
//! more of its own and has only the world's bound.
const std::size_t MAX_SHAPES_PER_OBJECT = 256;
//! Fixtures in the physics world, whoever made them.
const std::size_t MAX_WORLD_SHAPES = 65536;
//! Fixtures of other bodies in the place a new shape, or a body moved
//! there, takes.
const std::size_t MAX_STACKED_SHAPES = 1024;

//! Which bound a shape would pass.
enum EShapeRoom
{
	ESR_FITS = 0,
	ESR_OBJECT_FULL,
	ESR_WORLD_FULL,
	ESR_PLACE_FULL
};

//! The body's fixtures.
std::size_t countShapes(const b2Body& body);

//! Fixtures of bodies other than `self` whose boxes overlap `box`, counted up to `limit`.
std::size_t countShapesAt(const b2World& world, const b2AABB& box, const b2Body* self, std::size_t limit);

//! Whether one more shape fits on the body where it stands: fewer than
//! `perObject` shapes on the body, fewer than MAX_WORLD_SHAPES in the world,
//! and no more than MAX_STACKED_SHAPES of other bodies where it would lie.
EShapeRoom findShapeRoom(const b2Body& body, const b2Shape& shape, std::size_t perObject);

//! Whether one of the body's shapes, the body moved to `at`, would lie on
//! more than MAX_STACKED_SHAPES fixtures of other bodies.
bool isPlaceCrowded(const b2Body& body, const b2Transform& at);

} // namespace orv
