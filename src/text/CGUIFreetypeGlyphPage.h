#pragma once
// One texture of a font's glyph pictures, packed in shelves.
// Glyph pictures wait in the page until text is about to be drawn, then all
// go into the texture under one lock.

#include <vector>

#include <ITexture.h>
#include <irrArray.h>
#include <path.h>
#include <rect.h>
#include <vector2d.h>

#include "text/GlyphPageShelves.h"
#include "text/SGUIFreetypeGlyph.h"

namespace irr {
namespace video {
class IImage;
class IVideoDriver;
} // namespace video

namespace gui {

class CGUIFreetypeGlyphPage
{
public:
	//! A page of that size whose texture is not made yet; the driver is not grabbed.
	CGUIFreetypeGlyphPage(video::IVideoDriver* driver, const io::path& name, const core::dimension2du& size);
	//! Removes the texture from the driver.
	~CGUIFreetypeGlyphPage();
	CGUIFreetypeGlyphPage(const CGUIFreetypeGlyphPage&) = delete;
	CGUIFreetypeGlyphPage& operator=(const CGUIFreetypeGlyphPage&) = delete;

	//! Makes the texture, without mipmaps: A1R5G5B5 for one-bit glyphs,
	//! A8R8G8B8 for the rest. False when the driver gives none.
	bool createPageTexture(FT_Pixel_Mode pixelMode);

	video::ITexture* getTexture() const { return Texture; }
	const core::dimension2du& getSize() const { return Shelves.getPageSize(); }
	bool isDirty() const { return Dirty; }

	//! Room for a picture of that size (see CGlyphPageShelves::place).
	bool takeRoom(const core::dimension2du& size, core::vector2di& corner);
	//! The glyph's Surface goes into the texture at the next upload.
	void addPendingGlyph(u32 glyphIndex);
	//! Copies every pending glyph of `glyphs` (indexed by glyph index) into
	//! the texture, each cut to its SourceRect, and drops its Surface. A texture
	//! that cannot be locked keeps them waiting.
	void updateTexture(std::vector<SGUIFreetypeGlyph>& glyphs);

	//! The locked texture seen as an image that borrows its memory; null
	//! (nothing left locked) when the texture cannot be locked. Hand it back
	//! to unlockTexture.
	video::IImage* lockTexture(video::E_TEXTURE_LOCK_MODE mode);
	void unlockTexture(video::IImage* lockedImage);

	//! Filled while a text is drawn: where each glyph of this page goes and
	//! which part of the texture it shows.
	core::array<core::position2di> RenderPositions;
	core::array<core::recti> RenderSourceRects;

private:
	video::ITexture* Texture = 0;
	video::IVideoDriver* Driver;
	io::path Name;
	CGlyphPageShelves Shelves;
	bool Dirty = false;
	std::vector<u32> PendingGlyphs;
};

} // namespace gui
} // namespace irr
