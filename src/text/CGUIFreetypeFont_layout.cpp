// Measuring text: character sizes, kerning, the extent of a text and the
// character under a pixel position.

#include <cwchar>
#include <string>

#include "text/CGUIFreetypeFont.h"
#include "text/CodePoint.h"
#include "text/SGUIFreetypeFace.h"

namespace irr {
namespace gui {

namespace {

// A character the face cannot show takes the ascender's width, or half of
// it below U+2000, where the narrow scripts and punctuation lie.
s32 missingGlyphExtent(core::uchar32_t c, s32 ascender)
{
	return c < 0x2000 ? ascender / 2 : ascender;
}

size_t lengthOf(const wchar_t* text)
{
	return text ? std::wcslen(text) : 0;
}

} // namespace

CGUIFreetypeFont::SCharGlyph CGUIFreetypeFont::glyphOf(core::uchar32_t c) const
{
	const u32 index = getGlyphIndexByChar(c);
	if (index == 0)
		return {0, missingGlyphExtent(c, getAscender())};
	return {index, static_cast<s32>(Glyphs[index].Advance.x / 64)};
}

s32 CGUIFreetypeFont::charHeight(core::uchar32_t c) const
{
	const u32 index = getGlyphIndexByChar(c);
	if (index == 0)
		return missingGlyphExtent(c, getAscender());
	const SGUIFreetypeGlyph& glyph = Glyphs[index];
	return getAscender() - glyph.Offset.Y + glyph.SourceRect.getHeight();
}

s32 CGUIFreetypeFont::lineHeight() const
{
	return core::max_(charHeight('g'), charHeight('j'), charHeight('_')) + 1;
}

core::dimension2d<u32> CGUIFreetypeFont::getCharDimension(wchar_t c) const
{
	const core::uchar32_t code = toCodePoint(c);
	return core::dimension2d<u32>(static_cast<u32>(glyphOf(code).Width), static_cast<u32>(charHeight(code)));
}

core::vector2di CGUIFreetypeFont::kerningOfPair(
	core::uchar32_t thisLetter, u32 thisGlyph, core::uchar32_t previousLetter, u32 previousGlyph) const
{
	if (!Face || thisLetter == 0 || previousLetter == 0)
		return core::vector2di(0, 0);
	core::vector2di kerning(KerningWidth, KerningHeight);
	if (FT_HAS_KERNING(Face))
		kerning += pairKerning(previousGlyph, thisGlyph);
	return kerning;
}

core::vector2di CGUIFreetypeFont::pairKerning(u32 previousGlyph, u32 thisGlyph) const
{
	core::vector2di kerning(0, 0);
	if (PairKernings.find(previousGlyph, thisGlyph, kerning))
		return kerning;
	useFaceSize();
	FT_Vector pair = {0, 0};
	if (FT_Get_Kerning(Face, previousGlyph, thisGlyph, FT_KERNING_DEFAULT, &pair) == 0)
	{
		// Scalable faces answer in 26.6 pixels, bitmap faces in pixels.
		if (FT_IS_SCALABLE(Face))
			kerning.set(static_cast<s32>(pair.x / 64), static_cast<s32>(pair.y / 64));
		else
			kerning.set(static_cast<s32>(pair.x), static_cast<s32>(pair.y));
	}
	PairKernings.store(previousGlyph, thisGlyph, kerning);
	return kerning;
}

core::vector2di CGUIFreetypeFont::computeKerning(core::uchar32_t thisLetter, core::uchar32_t previousLetter) const
{
	if (!Face || thisLetter == 0 || previousLetter == 0)
		return core::vector2di(0, 0);
	const u32 previousGlyph = getGlyphIndexByChar(previousLetter);
	return kerningOfPair(thisLetter, getGlyphIndexByChar(thisLetter), previousLetter, previousGlyph);
}

s32 CGUIFreetypeFont::getKerningWidth(core::uchar32_t thisLetter, core::uchar32_t previousLetter) const
{
	return computeKerning(thisLetter, previousLetter).X;
}

s32 CGUIFreetypeFont::getKerningWidth(const wchar_t* thisLetter, const wchar_t* previousLetter) const
{
	if (!Face)
		return KerningWidth;
	if (!thisLetter || !previousLetter)
		return 0;
	return getKerningWidth(toCodePoint(*thisLetter), toCodePoint(*previousLetter));
}

template <typename Char> core::dimension2d<u32> CGUIFreetypeFont::measure(const Char* text, size_t length) const
{
	const s32 line = lineHeight();
	s32 width = 0;
	s32 height = line;
	s32 lineWidth = 0;
	core::uchar32_t previous = 0;
	u32 previousGlyph = 0;
	for (size_t i = 0; i < length; ++i)
	{
		core::uchar32_t c = toCodePoint(text[i]);
		bool lineBreak = c == '\n';
		if (c == '\r')
		{
			lineBreak = true;
			if (i + 1 < length && toCodePoint(text[i + 1]) == '\n')
			{
				c = '\n';
				++i;
			}
		}
		const SCharGlyph glyph = glyphOf(c);
		lineWidth += kerningOfPair(c, glyph.Index, previous, previousGlyph).X;
		if (lineBreak)
		{
			height += line;
			width = core::max_(width, lineWidth);
			lineWidth = 0;
			previous = 0;
		}
		else
		{
			lineWidth += glyph.Width;
			previous = c;
			previousGlyph = glyph.Index;
		}
	}
	width = core::max_(width, lineWidth);
	return core::dimension2d<u32>(static_cast<u32>(width), static_cast<u32>(height));
}

core::dimension2d<u32> CGUIFreetypeFont::getDimension(const wchar_t* text) const
{
	return measure(text, lengthOf(text));
}

core::dimension2d<u32> CGUIFreetypeFont::getDimension(const core::ustring16& text) const
{
	const std::u32string codePoints = text.toUTF32_s();
	return measure(codePoints.data(), codePoints.size());
}

template <typename Char> s32 CGUIFreetypeFont::characterAt(const Char* text, size_t length, s32 pixelX) const
{
	s32 x = 0;
	core::uchar32_t previous = 0;
	u32 previousGlyph = 0;
	for (size_t i = 0; i < length; ++i)
	{
		const core::uchar32_t c = toCodePoint(text[i]);
		const SCharGlyph glyph = glyphOf(c);
		x += glyph.Width + kerningOfPair(c, glyph.Index, previous, previousGlyph).X;
		if (x >= pixelX)
			return static_cast<s32>(i);
		previous = c;
		previousGlyph = glyph.Index;
	}
	return -1;
}

s32 CGUIFreetypeFont::getCharacterFromPos(const wchar_t* text, s32 pixelX) const
{
	return characterAt(text, lengthOf(text), pixelX);
}

s32 CGUIFreetypeFont::getCharacterFromPos(const core::ustring16& text, s32 pixelX) const
{
	const std::u32string codePoints = text.toUTF32_s();
	return characterAt(codePoints.data(), codePoints.size(), pixelX);
}

void CGUIFreetypeFont::setInvisibleCharacters(const wchar_t* characters)
{
	setInvisibleCharacters(core::ustring16(characters));
}

void CGUIFreetypeFont::setInvisibleCharacters(const core::ustring16& characters)
{
	InvisibleChars = characters;
	InvisibleCodePoints = characters.toUTF32_s();
}

bool CGUIFreetypeFont::isInvisible(core::uchar32_t c) const
{
	return InvisibleCodePoints.find(c) != std::u32string::npos;
}

} // namespace gui
} // namespace irr
