#pragma once

#include <dimension2d.h>
#include <irrTypes.h>

// Every picture size that comes from content or a script is checked here, in
// 64 bits, before it reaches Irrlicht: Irrlicht 1.8 computes an image's byte
// count in 32 bits, so an oversized picture comes back without data and the
// first copy into it runs over the heap.
namespace orv {

//! Longest edge of a picture the client makes, in pixels.
const irr::u64 IMAGE_MAX_EDGE = 16384;
//! Largest picture the client makes, at four bytes a pixel.
const irr::u64 IMAGE_MAX_BYTES = irr::u64(256) << 20;

//! Whether a picture of that many pixels, four bytes each, may be made: both
//! edges from 1 to IMAGE_MAX_EDGE and the bytes within IMAGE_MAX_BYTES.
bool isImageSizeAllowed(irr::u64 width, irr::u64 height);

//! The pixel size of a map of cells: tile size times the cell count. False,
//! leaving `size` alone, when a value is 0 or below or the picture would not
//! be allowed.
bool computeTiledImageSize(
	irr::s64 tileWidth, irr::s64 tileHeight, irr::s64 columns, irr::s64 rows, irr::core::dimension2du& size);

//! Exactly two bytes for each of columns x rows cells.
bool isTileByteCountValid(irr::u64 byteCount, irr::u64 columns, irr::u64 rows);

} // namespace orv
