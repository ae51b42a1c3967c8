#include "text/SGUIFreetypeGlyph.h"

#include <algorithm>

#include <IImage.h>
#include <IVideoDriver.h>

namespace irr {
namespace gui {

namespace {

const video::SColor TRANSPARENT_WHITE(0x00FFFFFF);
const u16 OPAQUE_WHITE_16 = 0xFFFF;

u32 powerOfTwoAtLeast(u32 value)
{
	u32 power = 1;
	while (power < value)
		power <<= 1;
	return power;
}

// Row y counted from the top; a negative pitch stores the rows bottom up.
const unsigned char* bitmapRow(const FT_Bitmap& bitmap, u32 y)
{
	if (bitmap.pitch >= 0)
		return bitmap.buffer + static_cast<size_t>(y) * bitmap.pitch;
	return bitmap.buffer + static_cast<size_t>(bitmap.rows - 1 - y) * static_cast<size_t>(-bitmap.pitch);
}

video::IImage* createMonoSurface(video::IVideoDriver* driver, const FT_Bitmap& bitmap, const core::dimension2du& size)
{
	const u32 side = powerOfTwoAtLeast(std::max(size.Width, size.Height) + 1);
	video::IImage* image = driver->createImage(video::ECF_A1R5G5B5, core::dimension2du(side, side));
	if (!image)
		return 0;
	image->fill(TRANSPARENT_WHITE);
	u8* pixels = static_cast<u8*>(image->lock());
	for (u32 y = 0; y < size.Height; ++y)
	{
		const unsigned char* row = bitmapRow(bitmap, y);
		u16* target = reinterpret_cast<u16*>(pixels + static_cast<size_t>(y) * image->getPitch());
		for (u32 x = 0; x < size.Width; ++x)
			if (row[x / 8] & (0x80 >> (x % 8)))
				target[x] = OPAQUE_WHITE_16;
	}
	image->unlock();
	return image;
}

video::IImage* createGreySurface(video::IVideoDriver* driver, const FT_Bitmap& bitmap, const core::dimension2du& size)
{
	core::dimension2du imageSize(size.Width + 1, size.Height + 1);
	if (!driver->queryFeature(video::EVDF_TEXTURE_NPOT))
		imageSize.set(powerOfTwoAtLeast(imageSize.Width), powerOfTwoAtLeast(imageSize.Height));
	if (!driver->queryFeature(video::EVDF_TEXTURE_NSQUARE))
	{
		const u32 side = std::max(imageSize.Width, imageSize.Height);
		imageSize.set(side, side);
	}
	video::IImage* image = driver->createImage(video::ECF_A8R8G8B8, imageSize);
	if (!image)
		return 0;
	image->fill(TRANSPARENT_WHITE);
	// A bitmap claiming no grey levels would divide by zero; FreeType means 256.
	const u32 levels = bitmap.num_grays ? bitmap.num_grays : 256;
	u8* pixels = static_cast<u8*>(image->lock());
	for (u32 y = 0; y < size.Height; ++y)
	{
		const unsigned char* row = bitmapRow(bitmap, y);
		u32* target = reinterpret_cast<u32*>(pixels + static_cast<size_t>(y) * image->getPitch());
		for (u32 x = 0; x < size.Width; ++x)
			target[x] |= std::min(row[x] * 255u / levels, 255u) << 24;
	}
	image->unlock();
	return image;
}

} // namespace

video::IImage* createGlyphSurface(video::IVideoDriver* driver, const FT_Bitmap& bitmap, const core::dimension2du& size)
{
	if (!driver)
		return 0;
	// A damaged font can render a glyph of some size without pixels: it is drawn empty.
	const core::dimension2du drawn = bitmap.buffer
		? core::dimension2du(std::min<u32>(size.Width, bitmap.width), std::min<u32>(size.Height, bitmap.rows))
		: core::dimension2du(0, 0);
	if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
		return createMonoSurface(driver, bitmap, drawn);
	if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
		return createGreySurface(driver, bitmap, drawn);
	return 0;
}

} // namespace gui
} // namespace irr
