#pragma once

#include <dimension2d.h>
#include <irrTypes.h>

namespace orv {

//! How a picture is laid into textures the driver can hold.
struct STextureLayout
{
	//! Size of every piece texture; may exceed the picture, the surplus
	//! staying transparent black.
	irr::core::dimension2du PieceSize;
	irr::u16 Columns = 1;
	irr::u16 Rows = 1;

	//! More than one piece: the picture is cut.
	bool isSplit() const { return Columns > 1 || Rows > 1; }
	//! One piece whose texture is larger than the picture: the picture sits
	//! in its top-left corner of a cleared texture.
	bool isPadded(const irr::core::dimension2du& picture) const { return !isSplit() && PieceSize != picture; }
};

//! What the driver accepts: non-power-of-two and non-square textures, and its
//! largest edge (0: no bound).
struct STextureLimits
{
	bool NonPowerOfTwo = true;
	bool NonSquare = true;
	irr::u32 MaxEdge = 0;
};

//! The pieces for a picture whose edges are at least 1 and at most the
//! image size guard's edge.
STextureLayout computeTextureLayout(const irr::core::dimension2du& picture, const STextureLimits& limits);

} // namespace orv
