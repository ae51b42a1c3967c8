#pragma once
// How many collision shapes the physics world takes, whoever adds them: a
// server, a level or a script. Every shape costs the broad phase each step,
// and shapes piled in one place cost the square of their number: Box2D pairs
// each shape it has not placed yet with every one it overlaps before it
// looks at whether the two can collide at all (16,000 circles on one spot
// took 12 s and 1.8 GB in the next step). Objects start at the origin and
// take their places only as the world syncs them, so a pile is looked for
// where Box2D meets it, as the world steps (CPhysicsManager). The bounds lie
// far beyond any game; each path refuses in its own words.

#include <cstddef>

class b2Body;
class b2Fixture;
class b2Shape;
class b2World;
struct b2AABB;

namespace orv {

//! Shapes a server or a script gives one object. A level's tile map makes
//! more of its own and has only the world's bound.
const std::size_t MAX_SHAPES_PER_OBJECT = 256;
//! Fixtures in the physics world, whoever made them.
const std::size_t MAX_WORLD_SHAPES = 65536;
//! Fixtures of other bodies that a shape placed or moved may lie on.
const std::size_t MAX_STACKED_SHAPES = 1024;

//! Which bound a new shape would pass.
enum EShapeRoom
{
	ESR_FITS = 0,
	ESR_OBJECT_FULL,
	ESR_WORLD_FULL
};

//! The body's fixtures.
std::size_t countShapes(const b2Body& body);

//! Fixtures of bodies other than `self` whose boxes overlap `box`, counted up to `limit`.
std::size_t countShapesAt(const b2World& world, const b2AABB& box, const b2Body* self, std::size_t limit);

//! Whether one more shape fits on the body: fewer than `perObject` shapes on
//! it and room in the world.
EShapeRoom findShapeRoom(const b2Body& body, const b2Shape& shape, std::size_t perObject);

//! Whether the fixture, where its body stands, lies on more than
//! MAX_STACKED_SHAPES fixtures of other bodies.
bool isShapePiled(const b2Fixture& fixture);

} // namespace orv
