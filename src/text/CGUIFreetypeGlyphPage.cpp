#include "text/CGUIFreetypeGlyphPage.h"

#include <algorithm>
#include <cstring>

#include <IImage.h>
#include <IVideoDriver.h>

namespace irr {
namespace gui {

CGUIFreetypeGlyphPage::CGUIFreetypeGlyphPage(
	video::IVideoDriver* driver, const io::path& name, const core::dimension2du& size)
	: Driver(driver)
	, Name(name)
	, Shelves(size)
{
}

CGUIFreetypeGlyphPage::~CGUIFreetypeGlyphPage()
{
	if (!Texture)
		return;
	if (Driver)
		Driver->removeTexture(Texture);
	else
		Texture->drop();
}

bool CGUIFreetypeGlyphPage::createPageTexture(FT_Pixel_Mode pixelMode)
{
	if (Texture)
		return true;
	if (!Driver)
		return false;
	const bool mipMaps = Driver->getTextureCreationFlag(video::ETCF_CREATE_MIP_MAPS);
	Driver->setTextureCreationFlag(video::ETCF_CREATE_MIP_MAPS, false);
	Texture = Driver->addTexture(
		Shelves.getPageSize(), Name, pixelMode == FT_PIXEL_MODE_MONO ? video::ECF_A1R5G5B5 : video::ECF_A8R8G8B8);
	Driver->setTextureCreationFlag(video::ETCF_CREATE_MIP_MAPS, mipMaps);
	if (!Texture)
		return false;
	// A new texture's memory is not cleared; filtering at a glyph's edge
	// would pick up whatever lies beside it.
	if (void* pixels = Texture->lock(video::ETLM_WRITE_ONLY))
	{
		std::memset(pixels, 0, static_cast<size_t>(Texture->getPitch()) * Texture->getSize().Height);
		Texture->unlock();
	}
	return true;
}

bool CGUIFreetypeGlyphPage::takeRoom(const core::dimension2du& size, core::vector2di& corner)
{
	return Shelves.place(size, corner);
}

void CGUIFreetypeGlyphPage::addPendingGlyph(u32 glyphIndex)
{
	PendingGlyphs.push_back(glyphIndex);
	Dirty = true;
}

video::IImage* CGUIFreetypeGlyphPage::lockTexture(video::E_TEXTURE_LOCK_MODE mode)
{
	if (!Texture || !Driver)
		return 0;
	void* pixels = Texture->lock(mode);
	if (!pixels)
		return 0;
	// The rows lie a pitch apart, which may exceed the width the texture reports.
	const video::ECOLOR_FORMAT format = Texture->getColorFormat();
	const u32 bytesPerPixel = video::IImage::getBitsPerPixelFromFormat(format) / 8;
	const core::dimension2du size = Texture->getSize();
	const u32 pitch = Texture->getPitch();
	const u32 rowPixels = bytesPerPixel && pitch >= size.Width * bytesPerPixel ? pitch / bytesPerPixel : size.Width;
	video::IImage* image = Driver->createImageFromData(
		format, core::dimension2du(rowPixels, size.Height), pixels, true, false);
	if (!image)
		Texture->unlock();
	return image;
}

void CGUIFreetypeGlyphPage::unlockTexture(video::IImage* lockedImage)
{
	lockedImage->drop();
	Texture->unlock();
}

void CGUIFreetypeGlyphPage::updateTexture(std::vector<SGUIFreetypeGlyph>& glyphs)
{
	if (!Dirty)
		return;
	video::IImage* target = lockTexture(video::ETLM_READ_WRITE);
	if (!target)
		return;
	for (u32 index : PendingGlyphs)
	{
		if (index >= glyphs.size())
			continue;
		SGUIFreetypeGlyph& glyph = glyphs[index];
		if (!glyph.Loaded || !glyph.Surface)
			continue;
		const core::dimension2du surface = glyph.Surface->getDimension();
		const core::recti part(0, 0, std::min(static_cast<s32>(surface.Width), glyph.SourceRect.getWidth()),
			std::min(static_cast<s32>(surface.Height), glyph.SourceRect.getHeight()));
		glyph.Surface->copyTo(target, glyph.SourceRect.UpperLeftCorner, part);
		glyph.Surface->drop();
		glyph.Surface = 0;
	}
	unlockTexture(target);
	PendingGlyphs.clear();
	Dirty = false;
}

} // namespace gui
} // namespace irr
