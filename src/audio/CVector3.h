#pragma once

namespace orv {
namespace audio {

//! Positions, directions and velocities of the audio library.
struct CVector3
{
	float x = 0.0f;
	float y = 0.0f;
	float z = 0.0f;

	CVector3() = default;
	CVector3(float X, float Y, float Z) : x(X), y(Y), z(Z) {}

	CVector3 operator-(const CVector3& other) const { return CVector3(x - other.x, y - other.y, z - other.z); }
	bool operator==(const CVector3& other) const { return x == other.x && y == other.y && z == other.z; }
	bool operator!=(const CVector3& other) const { return !(*this == other); }
};

} // namespace audio
} // namespace orv
