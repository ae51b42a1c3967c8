#pragma once

#include <irrTypes.h>

class b2Body;

namespace orv {

//! Replaces every fixture of the body by one whose shape is scaled by rx on X
//! and ry on Y, keeping its material, sensor flag, filter and user data. The
//! new shapes pass the physics guard like any other: one that comes out
//! unusable (welded, flat, out of range) leaves its old fixture in place.
//! Ratios that are 0 or not finite, or a null body, change nothing.
void scaleFixtures(b2Body* body, irr::f32 rx, irr::f32 ry);

} // namespace orv
