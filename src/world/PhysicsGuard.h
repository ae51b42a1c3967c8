#pragma once

#include <box2d/box2d.h>
#include <irrTypes.h>

// Every value that reaches Box2D from a script, a level, a packet or a scale
// change is checked here first. Box2D's asserts are live in the build we ship
// on, so a value it would assert on must never get through: bad values are
// refused (the caller logs and skips), polygons are welded and hulled here the
// way Box2D does it, and what cannot make a polygon falls back to the box of
// half-extents 1 that Box2D itself falls back to when its asserts are off.
namespace orv {

//! Largest shape coordinate or size, in physics units. Far beyond any content,
//! small enough that areas and inertias stay finite in float.
const irr::f32 PHYSICS_MAX_SHAPE_COORDINATE = 1.0e4f;
//! Largest body position, in physics units.
const irr::f32 PHYSICS_MAX_POSITION = 1.0e6f;
//! Largest velocity, force, impulse, torque or damping.
const irr::f32 PHYSICS_MAX_MOTION = 1.0e9f;
//! Largest density, friction or restitution.
const irr::f32 PHYSICS_MAX_MATERIAL = 1.0e6f;

bool isFiniteVector(const b2Vec2& v);
//! Finite and within the given magnitude on both axes.
bool isWithin(const b2Vec2& v, irr::f32 limit);
bool isWithin(irr::f32 value, irr::f32 limit);

//! The Box2D type of a script's body type number: 1 kinematic, 2 dynamic,
//! every other number static.
b2BodyType bodyTypeFromNumber(irr::s32 number);

//! How a shape builder met its input.
enum EShapeFit
{
	//! The shape is what was asked for.
	ESF_EXACT = 0,
	//! The points made no polygon; the shape is the box of half-extents 1.
	ESF_FALLBACK_BOX,
	//! The values cannot make a shape; the output is untouched.
	ESF_REFUSED
};

//! Radius finite and from 0 to the limit, centre finite and within the limit.
EShapeFit fitCircle(b2CircleShape& out, irr::f32 radius, const b2Vec2& center);
//! Half-extents finite and from 0 to the limit (a zero box is massless; it can
//! only go on a fixture of density 0), centre within the limit, angle finite.
EShapeFit fitBox(b2PolygonShape& out, irr::f32 halfWidth, irr::f32 halfHeight, const b2Vec2& center, irr::f32 angle);
//! The first 8 points, welded and hulled as Box2D does. Fewer than 3 hull
//! points, or a hull without area, give the fallback box; a point among the
//! first 8 that is not finite or past the limit refuses the whole polygon.
EShapeFit fitPolygon(b2PolygonShape& out, const b2Vec2* points, irr::u32 count);
//! A two-sided edge from v1 to v2 with the ghost vertices that are given (null:
//! absent). Refused when a vertex is not finite or past the limit, or the edge
//! is shorter than Box2D's weld distance.
EShapeFit fitEdge(
	b2EdgeShape& out, const b2Vec2& v1, const b2Vec2& v2, const b2Vec2* ghostBefore, const b2Vec2* ghostAfter);

//! A one-sided edge from v1 to v2 between its two ghost vertices, as Box2D's
//! SetOneSided makes it: it collides only from the side its normal faces,
//! the right of v1 to v2. Refused as fitEdge refuses.
EShapeFit fitOneSidedEdge(
	b2EdgeShape& out, const b2Vec2& ghostBefore, const b2Vec2& v1, const b2Vec2& v2, const b2Vec2& ghostAfter);

// A level describes its shapes outright: nothing stands in for a shape it got
// wrong, and a shape without size is a mistake rather than a massless sensor.
// These refuse (ESF_REFUSED) what the fits above would bend into a shape.

//! A circle of a radius above 0, as fitCircle takes it.
EShapeFit fitContentCircle(b2CircleShape& out, irr::f32 radius, const b2Vec2& center);
//! A box of half-extents above 0, as fitBox takes it.
EShapeFit fitContentBox(
	b2PolygonShape& out, irr::f32 halfWidth, irr::f32 halfHeight, const b2Vec2& center, irr::f32 angle);
//! 3 to 8 points whose hull has area; never the fallback box.
EShapeFit fitContentPolygon(b2PolygonShape& out, const b2Vec2* points, irr::u32 count);

//! A shape Box2D can collide with; when needsMass (density above 0) its mass
//! must be computable too.
bool isShapeUsable(const b2Shape& shape, bool needsMass);
//! The shape as above and density, friction and restitution finite, from 0 to the limit.
bool isFixtureDefUsable(const b2FixtureDef& def);

//! Whether Box2D can compute the mass of the body as a body of the given type
//! and rotation flag, with one more fixture when extra is given and without
//! the fixture `without` when that is given. Box2D asserts that a dynamic
//! body's inertia about its centre of mass stays positive; in float that
//! fails when the shapes sit very far from the body's origin for their size.
bool isMassSafe(const b2Body& body, b2BodyType type, bool fixedRotation, const b2FixtureDef* extra = nullptr,
	const b2Fixture* without = nullptr);

} // namespace orv
