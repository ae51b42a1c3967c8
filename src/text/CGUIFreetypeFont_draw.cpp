// Drawing text through the video driver, one image batch per glyph page, and
// the picture of one character.

#include <IImage.h>
#include <IVideoDriver.h>

#include "text/CGUIFreetypeFont.h"
#include "text/CGUIFreetypeGlyphPage.h"
#include "text/CodePoint.h"

namespace irr {
namespace gui {

void CGUIFreetypeFont::draw(const core::stringw& text, const core::rect<s32>& position, video::SColor color,
	bool hcenter, bool vcenter, const core::rect<s32>* clip)
{
	if (!Driver)
		return;
	for (u32 i = 0; i < Pages.size(); ++i)
	{
		Pages[i]->RenderPositions.set_used(0);
		Pages[i]->RenderSourceRects.set_used(0);
	}

	// Signed: a text wider than its rectangle starts left of it.
	s32 centreX = 0;
	core::vector2di pen = position.UpperLeftCorner;
	if (hcenter || vcenter)
	{
		const core::dimension2du extent = getDimension(text.c_str());
		if (hcenter)
			centreX = (position.getWidth() - static_cast<s32>(extent.Width)) >> 1;
		if (vcenter)
			pen.Y += (position.getHeight() - static_cast<s32>(extent.Height)) >> 1;
		pen.X += centreX;
	}

	const s32 ascender = getAscender();
	const u32 length = text.size();
	core::uchar32_t previous = 0;
	u32 previousGlyph = 0;
	for (u32 i = 0; i < length; ++i)
	{
		const core::uchar32_t c = toCodePoint(text[i]);
		const SCharGlyph glyph = glyphOf(c);
		if (glyph.Index != 0 && !isInvisible(c))
		{
			if (c == '\r' || c == '\n')
			{
				if (c == '\r' && i + 1 < length && text[i + 1] == L'\n')
					++i;
				pen.Y += ascender;
				pen.X = position.UpperLeftCorner.X + centreX;
				previous = 0;
				previousGlyph = 0;
				continue;
			}
			pen += kerningOfPair(c, glyph.Index, previous, previousGlyph);
			const SGUIFreetypeGlyph& record = Glyphs[glyph.Index];
			// A glyph FreeType could not render, or that found no page, is not loaded.
			if (record.Loaded && record.PageIndex < Pages.size())
			{
				CGUIFreetypeGlyphPage* page = Pages[record.PageIndex];
				page->RenderPositions.push_back(
					core::position2di(pen.X + record.Offset.X, pen.Y + ascender - record.Offset.Y));
				page->RenderSourceRects.push_back(record.SourceRect);
			}
		}
		pen.X += glyph.Width;
		previous = c;
		previousGlyph = glyph.Index;
	}

	uploadDirtyPages();
	if (!Transparency)
		color.setAlpha(255);
	for (u32 i = 0; i < Pages.size(); ++i)
	{
		CGUIFreetypeGlyphPage* page = Pages[i];
		if (page->RenderPositions.empty() || !page->getTexture())
			continue;
		Driver->draw2DImageBatch(page->getTexture(), page->RenderPositions, page->RenderSourceRects, clip, color, true);
	}
}

video::IImage* CGUIFreetypeFont::createCharImage(core::uchar32_t c)
{
	const u32 index = getGlyphIndexByChar(c);
	if (index == 0 || !Glyphs[index].Loaded || Glyphs[index].PageIndex >= Pages.size())
		return 0;
	const SGUIFreetypeGlyph& glyph = Glyphs[index];
	CGUIFreetypeGlyphPage* page = Pages[glyph.PageIndex];
	page->updateTexture(Glyphs);
	video::IImage* pageImage = page->lockTexture(video::ETLM_READ_ONLY);
	if (!pageImage)
		return 0;
	video::IImage* image = Driver->createImage(
		pageImage->getColorFormat(), core::dimension2du(glyph.SourceRect.getWidth(), glyph.SourceRect.getHeight()));
	if (image)
		pageImage->copyTo(image, core::position2di(0, 0), glyph.SourceRect);
	page->unlockTexture(pageImage);
	return image;
}

} // namespace gui
} // namespace irr
