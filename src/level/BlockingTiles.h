#pragma once

// Collision of a tile map from a blocking-tiles file: the file names the
// tileset cells that block; the map cells showing them are merged into boxes
// where that keeps the outline smooth, and the cells left over get one-sided
// edges along their open sides, with the outline's neighbouring points as
// ghost vertices.

#include <cstddef>
#include <vector>

#include <irrTypes.h>
#include <vector2d.h>

#include "base/ustring16.h"

namespace irr {
namespace io {
class IFileSystem;
}
} // namespace irr

namespace orv {

class CTiledSceneObject;

//! Larger files are not read: every cell of a tileset fits in well under a megabyte.
const size_t MAX_BLOCKING_TILES_FILE_SIZE = 16u << 20;

//! Whether each tileset cell blocks, indexed column * 256 + row.
typedef std::vector<bool> BlockingTileSet;

//! The cells a blocking-tiles file names: decimal numbers separated by commas
//! and line breaks, taken in pairs (column, row), each cut to its low byte. A
//! piece that is not an unsigned 16-bit number reads as 0; a last number
//! without a partner is dropped.
BlockingTileSet readBlockingTileSet(const char* text, size_t size);

//! A box, in tiles: its centre and half-extents.
struct SBlockingBox
{
	irr::core::vector2df center;
	irr::core::vector2df halfExtents;
};

//! An edge from `from` to `to` between its ghost vertices, in tiles; it faces
//! the open cell beside it.
struct SBlockingEdge
{
	irr::core::vector2df ghostBefore;
	irr::core::vector2df from;
	irr::core::vector2df to;
	irr::core::vector2df ghostAfter;
};

struct SBlockingShapes
{
	std::vector<SBlockingBox> boxes;
	std::vector<SBlockingEdge> edges;
};

//! The shapes of a width x height grid, row by row, whose blocking cells
//! hold 1 and the others 0. Points are tile corners: the corner before column
//! c and row r is (c, r).
SBlockingShapes mergeBlockingTiles(irr::u32 width, irr::u32 height, std::vector<irr::u8> cells);

//! Gives the tiled object's body the fixtures of the blocking-tiles file for
//! its map, a tile measuring its tile size over the pixels per unit, the map
//! centred on the body. A file that does not open or is empty adds nothing;
//! tile bytes that are not two for each cell, a tile size of 0 or pixels per
//! unit of 0 are refused with a warning on "xml".
void buildBlockingTiles(CTiledSceneObject& object, irr::io::IFileSystem* fileSystem, const irr::core::ustring16& path);

} // namespace orv
