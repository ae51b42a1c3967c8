#pragma once
// One glyph of one font: where its picture lies in the font's glyph pages,
// how it sits on the pen, and its rendered picture until a page takes it.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <dimension2d.h>
#include <rect.h>
#include <vector2d.h>

namespace irr {
namespace video {
class IImage;
class IVideoDriver;
} // namespace video

namespace gui {

struct SGUIFreetypeGlyph
{
	//! Rendered and given room on a page; set even when FreeType gave no picture.
	bool Loaded = false;
	u32 PageIndex = 0;
	//! The picture in the page texture: its corner to the corner plus the
	//! bitmap's width and rows (cut only where a page is smaller).
	core::rect<s32> SourceRect;
	//! FreeType's bitmap left and bitmap top.
	core::vector2di Offset;
	//! 26.6 pixels.
	FT_Vector Advance = {0, 0};
	//! The picture waiting for its page's next upload; null afterwards.
	video::IImage* Surface = 0;
};

//! A new picture of the top left `size` pixels of a rendered FreeType bitmap
//! (at most its width and rows): white, the coverage as alpha, transparent
//! around. One-bit bitmaps give a square A1R5G5B5 picture, grey ones an
//! A8R8G8B8 picture shaped as the driver's textures must be; both have at
//! least one transparent column and row beyond the glyph. Other pixel modes
//! give null. The caller drops it.
video::IImage* createGlyphSurface(video::IVideoDriver* driver, const FT_Bitmap& bitmap, const core::dimension2du& size);

} // namespace gui
} // namespace irr
