#include "text/GlyphPageShelves.h"

namespace irr {
namespace gui {

namespace {

bool isSet(const core::dimension2du& size)
{
	return size.Width != 0 && size.Height != 0;
}

} // namespace

u32 getGlyphPageSide(u32 pixelSize)
{
	if (pixelSize <= 21)
		return 256;
	if (pixelSize <= 42)
		return 512;
	if (pixelSize <= 84)
		return 1024;
	// 4096 x 4096 pages would cost 64 MiB each and still hold little more
	// than the Latin letters at the largest sizes.
	return 2048;
}

core::dimension2du planGlyphPageSize(
	u32 pixelSize, const core::dimension2du& fontLimit, const core::dimension2du& driverLimit)
{
	core::dimension2du limit(DEFAULT_MAX_PAGE_SIDE, DEFAULT_MAX_PAGE_SIDE);
	if (isSet(fontLimit))
		limit = fontLimit;
	else if (isSet(driverLimit))
		limit = driverLimit;
	const u32 side = getGlyphPageSide(pixelSize);
	return side > limit.Width || side > limit.Height ? limit : core::dimension2du(side, side);
}

CGlyphPageShelves::CGlyphPageShelves(const core::dimension2du& pageSize) : PageSize(pageSize)
{
}

bool CGlyphPageShelves::fitsEmptyPage(const core::dimension2du& size) const
{
	return size.Width + GLYPH_GAP <= PageSize.Width && size.Height + GLYPH_GAP <= PageSize.Height;
}

bool CGlyphPageShelves::place(const core::dimension2du& size, core::vector2di& corner)
{
	if (size.Width == 0 || size.Height == 0)
	{
		corner.set(0, 0);
		return true;
	}
	if (!fitsEmptyPage(size))
		return false;
	const u32 width = size.Width + GLYPH_GAP;
	const u32 height = size.Height + GLYPH_GAP;
	SShelf* best = 0;
	for (SShelf& shelf : Shelves)
		if (shelf.Height >= height && shelf.UsedWidth + width <= PageSize.Width &&
			(!best || shelf.Height < best->Height))
			best = &shelf;
	if (!best)
	{
		if (Bottom + height > PageSize.Height)
			return false;
		Shelves.push_back(SShelf{Bottom, height, 0});
		Bottom += height;
		best = &Shelves.back();
	}
	corner.set(static_cast<s32>(best->UsedWidth), static_cast<s32>(best->Top));
	best->UsedWidth += width;
	return true;
}

} // namespace gui
} // namespace irr
