#include "text/CGUIFreetypeFont.h"

#include <algorithm>

#include <IFileSystem.h>
#include <IGUIEnvironment.h>
#include <ILogger.h>
#include <IReadFile.h>
#include <IVideoDriver.h>
#include <IrrlichtDevice.h>

#include "base/Refusal.h"
#include "base/WholeFile.h"
#include "text/CGUIFreetypeGlyphPage.h"
#include "text/CodePoint.h"
#include "text/SGUIFreetypeFace.h"

namespace irr {
namespace gui {

CGUIFreetypeFont* CGUIFreetypeFont::create(IrrlichtDevice* device, const io::path& fileName, u32 pixelSize)
{
	if (!device || !openFreetypeLibrary())
		return 0;
	CGUIFreetypeFont* font = new CGUIFreetypeFont(device->getGUIEnvironment());
	font->Device = device;
	if (!font->load(fileName, pixelSize))
	{
		font->drop();
		return 0;
	}
	return font;
}

CGUIFreetypeFont::CGUIFreetypeFont(IGUIEnvironment* environment) : Environment(environment)
{
	if (Environment)
		Driver = Environment->getVideoDriver();
	if (Driver)
		Driver->grab();
	setInvisibleCharacters(core::ustring16(" "));
}

CGUIFreetypeFont::~CGUIFreetypeFont()
{
	resetGlyphs();
	Glyphs.clear();
	if (SharedFace)
		releaseSharedFace(FileName);
	else
		closeFreetypeLibraryWhenUnused();
	if (Driver)
		Driver->drop();
}

void CGUIFreetypeFont::log(const core::stringc& message) const
{
	if (Device && Device->getLogger())
		Device->getLogger()->log("CGUIFreetypeFont", message.c_str(), ELL_INFORMATION);
}

bool CGUIFreetypeFont::load(const io::path& fileName, u32 pixelSize)
{
	if (!Environment || !Driver || fileName.empty())
		return false;
	if (pixelSize == 0)
	{
		log("Font size 0 is not valid.");
		return false;
	}
	const u32 usedSize = core::clamp(pixelSize, MIN_PIXEL_SIZE, MAX_PIXEL_SIZE);
	if (usedSize != pixelSize)
		orv::reportRefusal("CGUIFreetypeFont",
			"Font size " + std::to_string(pixelSize) + " is out of range; using " + std::to_string(usedSize) + ".");

	PixelSize = usedSize;
	FileName = fileName;
	Monochrome = false;
	Transparency = true;
	updateLoadFlags();
	log(core::stringc("Creating new font: ") + fileName + " " + core::stringc(PixelSize) + "pt " + "+antialias " +
		"+transparency");

	SGUIFreetypeFace* face = findSharedFace(fileName);
	if (face)
	{
		face->grab();
	}
	else
	{
		face = new SGUIFreetypeFace();
		addSharedFace(fileName, face);
		if (!openFace(*face))
		{
			removeSharedFace(fileName);
			face->drop();
			return false;
		}
	}
	SharedFace = face;
	Face = face->Face;
	if (!setFacePixelSize(*face, PixelSize))
	{
		log("FT_Set_Pixel_Sizes failed.");
		return false;
	}
	SizeMetrics = Face->size->metrics;

	if (!CGlyphPageShelves(planPageSize()).fitsEmptyPage(core::dimension2du(PixelSize, PixelSize)))
	{
		log("The glyphs of this size do not fit a page texture.");
		return false;
	}

	Glyphs.assign(Face->num_glyphs > 0 ? static_cast<size_t>(Face->num_glyphs) : 0, SGUIFreetypeGlyph());

	const u32 batchSize = BatchSize;
	BatchSize = PRELOAD_CHARACTERS;
	getGlyphIndexByChar(0);
	BatchSize = batchSize;
	return true;
}

bool CGUIFreetypeFont::openFace(SGUIFreetypeFace& face) const
{
	FT_Library library = openFreetypeLibrary();
	io::IFileSystem* fileSystem = Environment->getFileSystem();
	if (!fileSystem)
	{
		if (!library || FT_New_Face(library, core::stringc(FileName).c_str(), 0, &face.Face) != 0)
		{
			face.Face = 0;
			log("FT_New_Face failed.");
			return false;
		}
		return true;
	}
	io::IReadFile* file = fileSystem->createAndOpenFile(FileName);
	if (!file)
	{
		log("Failed to open the file.");
		return false;
	}
	const orv::EWholeFileRead read = orv::readWholeFile(file, MAX_FONT_FILE_SIZE, face.FileBytes);
	file->drop();
	if (read != orv::EWFR_WHOLE)
	{
		log("Failed to open the file.");
		return false;
	}
	if (!library ||
		FT_New_Memory_Face(
			library, face.FileBytes.data(), static_cast<FT_Long>(face.FileBytes.size()), 0, &face.Face) != 0)
	{
		face.Face = 0;
		log("FT_New_Memory_Face failed.");
		return false;
	}
	return true;
}

void CGUIFreetypeFont::updateLoadFlags()
{
	LoadFlags = FT_LOAD_RENDER;
	if (!isHinting())
		LoadFlags |= FT_LOAD_NO_HINTING;
	if (!isAutoHinting())
		LoadFlags |= FT_LOAD_NO_AUTOHINT;
	if (isMonochrome())
		LoadFlags |= FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO | FT_LOAD_NO_HINTING;
}

void CGUIFreetypeFont::setTransparency(bool transparency)
{
	Transparency = transparency;
	resetGlyphs();
}

void CGUIFreetypeFont::setMonochrome(bool monochrome)
{
	Monochrome = monochrome;
	resetGlyphs();
}

void CGUIFreetypeFont::setHinting(bool hinting, bool autoHinting)
{
	Hinting = hinting;
	AutoHinting = autoHinting;
	resetGlyphs();
}

void CGUIFreetypeFont::resetGlyphs()
{
	for (SGUIFreetypeGlyph& glyph : Glyphs)
	{
		if (glyph.Surface)
			glyph.Surface->drop();
		glyph = SGUIFreetypeGlyph();
	}
	for (u32 i = 0; i < Pages.size(); ++i)
		delete Pages[i];
	Pages.clear();
	updateLoadFlags();
}

void CGUIFreetypeFont::useFaceSize() const
{
	if (SharedFace)
		setFacePixelSize(*SharedFace, PixelSize);
}

u32 CGUIFreetypeFont::lookUpFaceGlyph(core::uchar32_t c) const
{
	u32 index = FT_Get_Char_Index(Face, c);
	if (index == 0)
		index = FT_Get_Char_Index(Face, REPLACEMENT_CHARACTER);
	if (c < CHAR_TABLE_END)
	{
		if (CharGlyphs.empty())
			CharGlyphs.assign(CHAR_TABLE_END, NOT_LOOKED_UP);
		CharGlyphs[c] = index;
	}
	return index;
}

u32 CGUIFreetypeFont::getGlyphIndexByChar(core::uchar32_t c) const
{
	if (!Face)
		return 0;
	const u32 index = c < CharGlyphs.size() && CharGlyphs[c] != NOT_LOOKED_UP ? CharGlyphs[c] : lookUpFaceGlyph(c);
	if (index >= Glyphs.size())
		return 0;
	if (index != 0 && Glyphs[index].Loaded)
		return index;

	const u32 half = BatchSize / 2;
	const u32 first = c > half ? c - half : 0;
	std::vector<u32> batch;
	for (u32 k = first; k - first < BatchSize; ++k)
	{
		const u32 neighbour = FT_Get_Char_Index(Face, k);
		if (neighbour != 0 && neighbour < Glyphs.size())
			batch.push_back(neighbour);
	}
	// The batch is centred on the character, so a U+FFFD standing in for it
	// usually lies outside.
	if (index != 0)
		batch.push_back(index);
	loadGlyphs(batch);
	return index;
}

void CGUIFreetypeFont::loadGlyphs(const std::vector<u32>& glyphIndices) const
{
	struct SRendered
	{
		u32 Index;
		FT_Pixel_Mode PixelMode;
	};
	std::vector<SRendered> rendered;
	for (u32 index : glyphIndices)
	{
		// Characters may share a glyph.
		const bool seen = std::any_of(
			rendered.begin(), rendered.end(), [index](const SRendered& done) { return done.Index == index; });
		FT_Pixel_Mode pixelMode;
		if (!Glyphs[index].Loaded && !seen && renderGlyph(index, pixelMode))
			rendered.push_back({index, pixelMode});
	}
	std::stable_sort(rendered.begin(), rendered.end(), [this](const SRendered& a, const SRendered& b) {
		return Glyphs[a.Index].SourceRect.getHeight() > Glyphs[b.Index].SourceRect.getHeight();
	});
	for (const SRendered& glyph : rendered)
		placeGlyph(glyph.Index, glyph.PixelMode);
}

bool CGUIFreetypeFont::renderGlyph(u32 glyphIndex, FT_Pixel_Mode& pixelMode) const
{
	useFaceSize();
	if (FT_Load_Glyph(Face, glyphIndex, LoadFlags) != 0)
		return false;
	const FT_GlyphSlot slot = Face->glyph;
	const FT_Bitmap& bitmap = slot->bitmap;
	SGUIFreetypeGlyph& glyph = Glyphs[glyphIndex];
	glyph.Advance = slot->advance;
	glyph.Offset = core::vector2di(slot->bitmap_left, slot->bitmap_top);
	const core::dimension2du page = planPageSize();
	const core::dimension2du size(core::min_(bitmap.width, page.Width - core::min_(page.Width, GLYPH_GAP)),
		core::min_(bitmap.rows, page.Height - core::min_(page.Height, GLYPH_GAP)));
	glyph.SourceRect = core::recti(0, 0, static_cast<s32>(size.Width), static_cast<s32>(size.Height));
	glyph.Surface = createGlyphSurface(Driver, bitmap, size);
	pixelMode = static_cast<FT_Pixel_Mode>(bitmap.pixel_mode);
	return true;
}

void CGUIFreetypeFont::placeGlyph(u32 glyphIndex, FT_Pixel_Mode pixelMode) const
{
	SGUIFreetypeGlyph& glyph = Glyphs[glyphIndex];
	const core::dimension2du size(glyph.SourceRect.getWidth(), glyph.SourceRect.getHeight());
	core::vector2di corner;
	CGUIFreetypeGlyphPage* page = Pages.empty() ? 0 : Pages.getLast();
	if (!page || !page->takeRoom(size, corner))
	{
		page = createGlyphPage(pixelMode);
		if (!page || !page->takeRoom(size, corner))
		{
			if (glyph.Surface)
				glyph.Surface->drop();
			glyph = SGUIFreetypeGlyph();
			return;
		}
	}
	glyph.PageIndex = Pages.size() - 1;
	glyph.SourceRect = core::recti(corner, size);
	glyph.Loaded = true;
	page->addPendingGlyph(glyphIndex);
}

core::dimension2du CGUIFreetypeFont::planPageSize() const
{
	return planGlyphPageSize(PixelSize, MaxPageSize, Driver->getMaxTextureSize());
}

CGUIFreetypeGlyphPage* CGUIFreetypeFont::createGlyphPage(FT_Pixel_Mode pixelMode) const
{
	const char* family = Face->family_name ? Face->family_name : "";
	const char* style = Face->style_name ? Face->style_name : "";
	const io::path name = io::path("TTFontGlyphPage_") + family + "." + style + "." + io::path(PixelSize) + "_" +
		io::path(Pages.size());
	CGUIFreetypeGlyphPage* page = new CGUIFreetypeGlyphPage(Driver, name, planPageSize());
	if (!page->createPageTexture(pixelMode))
	{
		delete page;
		return 0;
	}
	Pages.push_back(page);
	return page;
}

void CGUIFreetypeFont::uploadDirtyPages() const
{
	for (u32 i = 0; i < Pages.size(); ++i)
		Pages[i]->updateTexture(Glyphs);
}

const SGUIFreetypeGlyph* CGUIFreetypeFont::getGlyph(u32 glyphIndex) const
{
	return glyphIndex < Glyphs.size() ? &Glyphs[glyphIndex] : 0;
}

core::dimension2du CGUIFreetypeFont::getPageSize(u32 index) const
{
	return index < Pages.size() ? Pages[index]->getSize() : core::dimension2du(0, 0);
}

video::ITexture* CGUIFreetypeFont::getPageTextureByIndex(u32 index) const
{
	return index < Pages.size() ? Pages[index]->getTexture() : 0;
}

} // namespace gui
} // namespace irr
