#pragma once

#include <box2d/box2d.h>
#include <irrArray.h>
#include <S3DVertex.h>
#include <vector3d.h>

namespace orv {

//! The lines of one fixture as the debug view draws them.
struct SPhysicsDebugLines
{
	irr::core::array<irr::video::S3DVertex> vertices;
	irr::core::array<irr::u16> indices; // pairs: one line each
};

//! Fills the lines of a fixture whose body stands at `position` (pixels) with
//! the given angle (radians): body coordinates are turned by the angle, scaled
//! by the pixels per unit and moved to the position. Polygons are red, edges
//! and chains white; a circle (or any other shape) gives false and no lines.
bool buildFixtureDebugLines(const b2Fixture& fixture, const irr::core::vector3df& position, irr::f32 angle,
	irr::f32 pixelsPerUnit, SPhysicsDebugLines& out);

} // namespace orv
