#pragma once
// Where glyph pictures go in a font's page textures: the size of a page, and
// shelves across it that take glyphs of their own size, left to right, one
// shelf below the other. A transparent gap right of and below every glyph
// keeps filtering at its edge from reading its neighbour.

#include <vector>

#include <dimension2d.h>
#include <vector2d.h>

namespace irr {
namespace gui {

//! Page side when neither the font nor the driver names a limit.
const u32 DEFAULT_MAX_PAGE_SIDE = 1024;
//! Untouched pixels right of and below each glyph.
const u32 GLYPH_GAP = 1;

//! The side of a square page for a pixel size: 256 up to 21 px, 512 up to
//! 42, 1024 up to 84, 2048 beyond. Each holds the printable ASCII of its
//! sizes several times over, so Latin text needs one page.
u32 getGlyphPageSide(u32 pixelSize);

//! A page of the side for the pixel size, or of the limit itself when the
//! side exceeds it. The limit is the font's own when both its sides are set,
//! else the driver's when both are set, else DEFAULT_MAX_PAGE_SIDE square.
core::dimension2du planGlyphPageSize(
	u32 pixelSize, const core::dimension2du& fontLimit, const core::dimension2du& driverLimit);

//! The free room of one page.
class CGlyphPageShelves
{
public:
	explicit CGlyphPageShelves(const core::dimension2du& pageSize);

	const core::dimension2du& getPageSize() const { return PageSize; }
	//! Whether a picture of that size fits an empty page with its gap.
	bool fitsEmptyPage(const core::dimension2du& size) const;
	//! Takes room for a picture of that size and its gap: on the shortest
	//! shelf that is tall enough and has room left, else on a new shelf of
	//! the picture's height below the others. False when the page has no such room. An empty
	//! picture takes nothing and lies at the page's corner.
	bool place(const core::dimension2du& size, core::vector2di& corner);

private:
	struct SShelf
	{
		u32 Top;
		u32 Height;
		u32 UsedWidth;
	};
	core::dimension2du PageSize;
	std::vector<SShelf> Shelves;
	// The top of the next new shelf.
	u32 Bottom = 0;
};

} // namespace gui
} // namespace irr
