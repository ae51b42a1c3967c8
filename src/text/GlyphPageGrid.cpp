#include "text/GlyphPageGrid.h"

#include <algorithm>

namespace irr {
namespace gui {

namespace {

bool isSet(const core::dimension2du& size)
{
	return size.Width != 0 && size.Height != 0;
}

const u32 LARGEST_PAGE_SIDE = 4096;

u32 cellsAlong(u32 side, u32 cell)
{
	return cell ? side / cell : 0;
}

// 26.6 pixels, rounded up to whole pixels.
u32 ceilPixels(FT_Pos value)
{
	return value <= 0 ? 0 : static_cast<u32>((value + 63) / 64);
}

} // namespace

core::vector2di SGlyphPageGrid::getCellCorner(u32 cell) const
{
	if (Columns == 0)
		return core::vector2di(0, 0);
	return core::vector2di(static_cast<s32>((cell % Columns) * CellSize.Width),
		static_cast<s32>((cell / Columns) * CellSize.Height));
}

u32 getGlyphPageSide(u32 pixelSize)
{
	if (pixelSize <= 21)
		return 256;
	if (pixelSize <= 42)
		return 512;
	if (pixelSize <= 84)
		return 1024;
	if (pixelSize <= 168)
		return 2048;
	return LARGEST_PAGE_SIDE;
}

core::dimension2du computeGlyphCellSize(FT_Face face, u32 pixelSize)
{
	u32 width = 0;
	u32 height = 0;
	if (face && face->size) {
		const FT_Size_Metrics& metrics = face->size->metrics;
		if (FT_IS_SCALABLE(face)) {
			width = ceilPixels(FT_MulFix(face->bbox.xMax - face->bbox.xMin, metrics.x_scale)) + 1;
			height = ceilPixels(FT_MulFix(face->bbox.yMax - face->bbox.yMin, metrics.y_scale)) + 1;
		} else {
			// A bitmap strike has no outline box; its own metrics bound it.
			width = ceilPixels(metrics.max_advance) + 1;
			height = ceilPixels(metrics.height) + 1;
		}
	}
	return core::dimension2du(std::max(width, pixelSize), std::max(height, pixelSize));
}

SGlyphPageGrid planGlyphPage(u32 pixelSize, const core::dimension2du& cellSize, const core::dimension2du& fontLimit,
	const core::dimension2du& driverLimit)
{
	core::dimension2du limit(DEFAULT_MAX_PAGE_SIDE, DEFAULT_MAX_PAGE_SIDE);
	if (isSet(fontLimit))
		limit = fontLimit;
	else if (isSet(driverLimit))
		limit = driverLimit;

	u32 side = getGlyphPageSide(pixelSize);
	// The sides suit cells of the pixel size; larger cells get larger pages,
	// so that the characters a new font renders still share one page.
	while (side < LARGEST_PAGE_SIDE &&
		cellsAlong(side, cellSize.Width) * cellsAlong(side, cellSize.Height) < MIN_CELLS_PER_PAGE)
		side *= 2;
	SGlyphPageGrid grid;
	grid.PageSize = side > limit.Width || side > limit.Height ? limit : core::dimension2du(side, side);
	grid.CellSize = cellSize;
	grid.Columns = cellsAlong(grid.PageSize.Width, cellSize.Width);
	grid.Rows = cellsAlong(grid.PageSize.Height, cellSize.Height);
	if (grid.Columns == 0 || grid.Rows == 0)
		grid.Columns = grid.Rows = 0;
	return grid;
}

} // namespace gui
} // namespace irr
