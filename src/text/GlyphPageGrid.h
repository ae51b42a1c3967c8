#pragma once
// Where glyph pictures go in a font's page textures: the size of a page and
// its grid of cells. Cells are as large as the face's largest glyph at the
// font's size, so no glyph is cut and none writes into its neighbour.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <dimension2d.h>
#include <vector2d.h>

namespace irr {
namespace gui {

//! Page side when neither the font nor the driver names a limit.
const u32 DEFAULT_MAX_PAGE_SIDE = 1024;
//! A page holds at least this many cells when the limit allows: the
//! characters a new font renders then share one page, one draw call.
const u32 MIN_CELLS_PER_PAGE = 128;

//! The grid of one page texture.
struct SGlyphPageGrid
{
	core::dimension2du PageSize;
	core::dimension2du CellSize;
	u32 Columns = 0;
	u32 Rows = 0;

	u32 getCellCount() const { return Columns * Rows; }
	//! The upper left corner of cell number `cell`, counted along the rows.
	core::vector2di getCellCorner(u32 cell) const;
};

//! The side of a square page for a pixel size: 256 up to 21 px, 512 up to
//! 42, 1024 up to 84, 2048 up to 168, 4096 beyond.
u32 getGlyphPageSide(u32 pixelSize);

//! The cell that holds any glyph of the face at its current size: the
//! face's bounding box scaled to pixels, rounded up, plus one, and never
//! smaller than the pixel size.
core::dimension2du computeGlyphCellSize(FT_Face face, u32 pixelSize);

//! A page of the side for the pixel size, doubled (up to 4096) until it holds
//! MIN_CELLS_PER_PAGE cells, or of the limit itself when the side exceeds it. The limit is the font's own when both its sides are set,
//! else the driver's when both are set, else DEFAULT_MAX_PAGE_SIDE square.
//! No columns or rows when the cell does not fit the page.
SGlyphPageGrid planGlyphPage(u32 pixelSize, const core::dimension2du& cellSize, const core::dimension2du& fontLimit,
	const core::dimension2du& driverLimit);

} // namespace gui
} // namespace irr
