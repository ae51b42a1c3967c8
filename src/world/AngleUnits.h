#pragma once
// Degrees and radians as the server and its scripts convert them: these exact
// floats, written by their bits. The degrees factor is one bit below the
// float nearest to 180/pi (57.29578f), which would read Rotation = 30 back as
// 30.000002.

#include <irrTypes.h>

namespace orv {

//! The float with bits 0x3C8EFA35 (0.0174532924).
const irr::f32 RADIANS_PER_DEGREE = 0x1.1df46ap-6f;
//! The float with bits 0x42652EE0 (57.2957763671875).
const irr::f32 DEGREES_PER_RADIAN = 0x1.ca5dcp+5f;

} // namespace orv
