#pragma once
// The GUI's TrueType font: Irrlicht's IGUIFont over FreeType. Faces are
// shared by every font of one file; glyphs are rendered on first need, a
// batch of neighbouring characters at a time, packed into page textures and
// drawn with one image batch per page.

#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <IGUIFont.h>
#include <ILogger.h>
#include <irrArray.h>
#include <path.h>

#include "base/ustring16.h"
#include "text/CKerningCache.h"
#include "text/SGUIFreetypeGlyph.h"

namespace irr {
class IrrlichtDevice;
namespace scene {
class ISceneManager;
class ISceneNode;
} // namespace scene
namespace video {
class IImage;
class ITexture;
class IVideoDriver;
} // namespace video

namespace gui {

class IGUIEnvironment;
class CGUIFreetypeGlyphPage;
struct SGUIFreetypeFace;

class CGUIFreetypeFont : public IGUIFont
{
public:
	//! Sizes outside this range are brought into it, with a warning.
	static constexpr u32 MIN_PIXEL_SIZE = 4;
	static constexpr u32 MAX_PIXEL_SIZE = 256;
	//! How many characters, starting at 0, a new font renders at once.
	static constexpr u32 PRELOAD_CHARACTERS = 127;
	//! The largest font file read: the fonts that cover most of Unicode are
	//! a few tens of megabytes.
	static constexpr size_t MAX_FONT_FILE_SIZE = 64u << 20;

	//! A new font of the file at that pixel size (one reference for the
	//! caller), or null when FreeType, the file or the size fails; failures
	//! are logged.
	static CGUIFreetypeFont* create(IrrlichtDevice* device, const io::path& fileName, u32 pixelSize);

	//! IGUIFont: text is measured and drawn by code point.
	void draw(const core::stringw& text, const core::rect<s32>& position, video::SColor color, bool hcenter = false,
		bool vcenter = false, const core::rect<s32>* clip = 0) override;
	core::dimension2d<u32> getDimension(const wchar_t* text) const override;
	s32 getCharacterFromPos(const wchar_t* text, s32 pixelX) const override;
	EGUI_FONT_TYPE getType() const override { return EGFT_CUSTOM; }
	void setKerningWidth(s32 kerning) override { KerningWidth = kerning; }
	void setKerningHeight(s32 kerning) override { KerningHeight = kerning; }
	//! With both letters, the pair's kerning plus the font's kerning width;
	//! with a letter missing, 0 (the kerning width alone before a face loads).
	s32 getKerningWidth(const wchar_t* thisLetter = 0, const wchar_t* previousLetter = 0) const override;
	s32 getKerningHeight() const override { return KerningHeight; }
	void setInvisibleCharacters(const wchar_t* characters) override;

	//! How many characters one missing glyph renders, centred on it.
	void setBatchLoadSize(u32 batchSize) { BatchSize = batchSize; }
	//! Upper bound for new page textures; 0 in either side: the driver's.
	void setMaxPageTextureSize(const core::dimension2du& maxSize) { MaxPageSize = maxSize; }
	u32 getPixelSize() const { return PixelSize; }
	bool isTransparent() const { return Transparency; }
	bool isAutoHinting() const { return AutoHinting; }
	bool isHinting() const { return Hinting; }
	bool isMonochrome() const { return Monochrome; }
	//! The switches below render every glyph again on next use.
	void setTransparency(bool transparency);
	void setMonochrome(bool monochrome);
	void setHinting(bool hinting, bool autoHinting);

	//! Width and height of one character as text layout counts them.
	core::dimension2d<u32> getCharDimension(wchar_t c) const;
	//! Width of the widest line; height of all lines, the tallest of 'g',
	//! 'j' and '_' plus one each. CR, LF and CR LF break lines.
	core::dimension2d<u32> getDimension(const core::ustring16& text) const;
	//! Index (in code points) of the character whose right edge reaches x;
	//! -1 past the end.
	s32 getCharacterFromPos(const core::ustring16& text, s32 pixelX) const;
	//! The pair's horizontal kerning plus the font's kerning width.
	s32 getKerningWidth(core::uchar32_t thisLetter, core::uchar32_t previousLetter) const;
	void setInvisibleCharacters(const core::ustring16& characters);

	//! A new image of one character's glyph as its page holds it (the caller
	//! drops it); null when the face has no glyph for it or the page cannot
	//! be read.
	video::IImage* createCharImage(core::uchar32_t c);
	//! The texture of a page, null past the last; no upload.
	video::ITexture* getPageTextureByIndex(u32 index) const;
	//! One mesh node per visible glyph under the parent (a new empty node
	//! under the root when null), laid out in the x-y plane with 1 unit a
	//! pixel and y upward.
	core::array<scene::ISceneNode*> createTextSceneNode(const wchar_t* text, scene::ISceneManager* sceneManager,
		scene::ISceneNode* parent, const video::SColor& color, bool center);

	//! The face's glyph index of a character (of U+FFFD when it has none, 0
	//! when it lacks both), with the glyph and its batch rendered.
	u32 getGlyphIndexByChar(core::uchar32_t c) const;
	//! Copies every waiting glyph picture into its page texture.
	void uploadDirtyPages() const;
	//! Forgets every rendered glyph and page.
	void resetGlyphs();

	//! The record of a glyph index, null past the face's glyphs.
	const SGUIFreetypeGlyph* getGlyph(u32 glyphIndex) const;
	u32 getPageCount() const { return Pages.size(); }
	//! The size of a page texture (0 x 0 past the last).
	core::dimension2du getPageSize(u32 index) const;
	//! The face's ascender in whole pixels.
	s32 getAscender() const { return static_cast<s32>(SizeMetrics.ascender / 64); }

private:
	explicit CGUIFreetypeFont(IGUIEnvironment* environment);
	~CGUIFreetypeFont() override;

	bool load(const io::path& fileName, u32 pixelSize);
	// Opens the face of a new shared record from FileName, through the file
	// system when there is one; false after logging why not.
	bool openFace(SGUIFreetypeFace& face) const;
	//! One information line on the font's channel.
	void log(const core::stringc& message) const;
	void updateLoadFlags();
	// Sets the shared face to this font's size when another font changed it.
	void useFaceSize() const;
	// Renders the glyphs that are not loaded yet and packs them, tallest
	// first, which leaves the least room unused on the shelves.
	void loadGlyphs(const std::vector<u32>& glyphIndices) const;
	// Renders one glyph into its Surface, cut to a new page; false when FreeType fails.
	bool renderGlyph(u32 glyphIndex, FT_Pixel_Mode& pixelMode) const;
	// Finds room on the last page or a new one; without room the picture is dropped.
	void placeGlyph(u32 glyphIndex, FT_Pixel_Mode pixelMode) const;
	CGUIFreetypeGlyphPage* createGlyphPage(FT_Pixel_Mode pixelMode) const;
	core::dimension2du planPageSize() const;

	// Layout of a text given as code points (text/CGUIFreetypeFont_layout.cpp).
	template <typename Char> core::dimension2d<u32> measure(const Char* text, size_t length) const;
	template <typename Char> s32 characterAt(const Char* text, size_t length, s32 pixelX) const;
	// The glyph of a character with its layout width (not loaded: index 0).
	struct SCharGlyph
	{
		u32 Index;
		s32 Width;
	};
	SCharGlyph glyphOf(core::uchar32_t c) const;
	s32 charHeight(core::uchar32_t c) const;
	s32 lineHeight() const;
	core::vector2di computeKerning(core::uchar32_t thisLetter, core::uchar32_t previousLetter) const;
	// The same with the letters' glyph indices already known.
	core::vector2di kerningOfPair(
		core::uchar32_t thisLetter, u32 thisGlyph, core::uchar32_t previousLetter, u32 previousGlyph) const;
	bool isInvisible(core::uchar32_t c) const;
	// Asks FreeType for the face's glyph of a character, else of U+FFFD, else
	// 0, and keeps the answer in CharGlyphs; nothing rendered.
	u32 lookUpFaceGlyph(core::uchar32_t c) const;
	// FreeType's kerning of a pair of glyphs in whole pixels.
	core::vector2di pairKerning(u32 previousGlyph, u32 thisGlyph) const;

	bool Monochrome = false;
	bool Transparency = true;
	bool Hinting = true;
	bool AutoHinting = true;
	u32 PixelSize = 0;
	u32 BatchSize = 1;
	core::dimension2du MaxPageSize;
	IrrlichtDevice* Device = 0;
	IGUIEnvironment* Environment;
	video::IVideoDriver* Driver = 0;
	io::path FileName;
	// One reference, held from a successful open of the face to destruction.
	SGUIFreetypeFace* SharedFace = 0;
	FT_Face Face = 0;
	FT_Size_Metrics SizeMetrics = {};
	FT_Int32 LoadFlags = 0;
	// Text operations are const in IGUIFont, yet they render glyphs.
	mutable core::array<CGUIFreetypeGlyphPage*> Pages;
	// Indexed by glyph index; index 0 (no glyph) is never loaded.
	mutable std::vector<SGUIFreetypeGlyph> Glyphs;
	// lookUpFaceGlyph of the characters below CHAR_TABLE_END, filled as text
	// asks: FreeType's character map is searched once per character, not once
	// per draw. The alphabets of two-byte UTF-8 lie below it.
	static constexpr core::uchar32_t CHAR_TABLE_END = 0x800;
	// No face has this glyph index: FreeType's indices are below num_glyphs.
	static constexpr u32 NOT_LOOKED_UP = 0xFFFFFFFFu;
	mutable std::vector<u32> CharGlyphs;
	mutable CKerningCache PairKernings;
	s32 KerningWidth = 0;
	s32 KerningHeight = 0;
	core::ustring16 InvisibleChars;
	std::u32string InvisibleCodePoints;
};

} // namespace gui
} // namespace irr
