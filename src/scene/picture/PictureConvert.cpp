#include "scene/picture/PictureConvert.h"

#include <vector>

#include <IImage.h>
#include <IVideoDriver.h>

#include "base/ByteOrder.h"
#include "scene/picture/PictureLayout.h"

namespace orv {

namespace {

using irr::u32;
using irr::u64;
using irr::u8;
using irr::video::SColor;

// A channel under its mask widened to 8 bits by repeating its bits, as
// viewers widen it; a missing alpha channel is opaque.
u32 channel(u32 value, u32 mask)
{
	if (mask == 0)
		return 255;
	u32 shift = 0;
	while ((mask >> shift & 1) == 0)
		++shift;
	u32 width = 0;
	while (shift + width < 32 && (mask >> (shift + width) & 1) != 0)
		++width;
	const u32 bits = (value & mask) >> shift;
	u32 widened = 0;
	u32 filled = 0;
	for (; filled < 8; filled += width)
		widened = widened << width | bits;
	return widened >> (filled - 8);
}

// Every converted picture is written into one of these, row 0 on top.
class CTarget
{
public:
	CTarget(irr::video::IVideoDriver* driver, u32 width, u32 height)
		: Picture(driver->createImage(irr::video::ECF_A8R8G8B8, irr::core::dimension2du(width, height)))
		, Pixels(Picture ? static_cast<u32*>(Picture->lock()) : nullptr)
		, Width(width)
	{
	}
	~CTarget()
	{
		if (Pixels)
			Picture->unlock();
		if (Picture)
			Picture->drop();
	}

	bool ready() const { return Pixels != nullptr; }
	void set(u64 x, u64 y, SColor colour) { Pixels[y * Width + x] = colour.color; }
	irr::video::IImage* release()
	{
		irr::video::IImage* made = Picture;
		Picture->unlock();
		Pixels = nullptr;
		Picture = nullptr;
		return made;
	}

private:
	irr::video::IImage* Picture;
	u32* Pixels;
	u64 Width;
};

SColor bmpPaletteColour(const CPictureBytes& in, const SBmpLayout& layout, u8 index)
{
	const u64 entry = layout.PaletteStart + 4 * u64(index);
	return SColor(255, in.at(entry + 2), in.at(entry + 1), in.at(entry));
}

irr::video::IImage* convertBmp(irr::video::IVideoDriver* driver, const CPictureBytes& in)
{
	SBmpLayout layout;
	if (readBmpLayout(in, layout))
		return nullptr;
	std::vector<u8> indices;
	if (layout.Compression == BMP_RLE8)
	{
		indices.resize(u64(layout.Width) * layout.Height);
		if (playBmpRuns(in, layout, indices.data()))
			return nullptr;
	}
	const u32 alphaMask = bmpHasAlpha(in, layout) ? layout.Masks[3] : 0;
	CTarget target(driver, layout.Width, layout.Height);
	if (!target.ready())
		return nullptr;
	for (u64 y = 0; y < layout.Height; ++y)
	{
		const u64 fileRow = layout.TopDown ? y : layout.Height - 1 - y;
		const u64 row = layout.PixelStart + fileRow * layout.LineBytes;
		for (u64 x = 0; x < layout.Width; ++x)
		{
			SColor colour;
			if (layout.Bits <= 8)
			{
				const u8 index = indices.empty() ? readBmpIndex(in, row, x, layout.Bits)
												 : indices[fileRow * layout.Width + x];
				if (index >= layout.PaletteEntries)
					return nullptr;
				colour = bmpPaletteColour(in, layout, index);
			}
			else if (layout.Bits == 24)
			{
				colour = SColor(255, in.at(row + 3 * x + 2), in.at(row + 3 * x + 1), in.at(row + 3 * x));
			}
			else
			{
				const u32 value = layout.Bits == 16 ? in.le16(row + 2 * x) : in.le32(row + 4 * x);
				colour = SColor(channel(value, alphaMask), channel(value, layout.Masks[0]),
					channel(value, layout.Masks[1]), channel(value, layout.Masks[2]));
			}
			target.set(x, y, colour);
		}
	}
	return target.release();
}

// A TGA colour of 16, 24 or 32 bits, blue first; at 16 bits the top bit is
// alpha only when the attribute bits say there is alpha.
SColor tgaColour(const u8* p, u32 bits, bool alpha)
{
	if (bits == 16)
	{
		const u32 value = readLE16(p);
		return SColor(alpha ? channel(value, 0x8000) : 255, channel(value, 0x7C00), channel(value, 0x03E0),
			channel(value, 0x001F));
	}
	return SColor(bits == 32 ? p[3] : 255, p[2], p[1], p[0]);
}

irr::video::IImage* convertTga(irr::video::IVideoDriver* driver, const CPictureBytes& in)
{
	STgaLayout layout;
	if (readTgaLayout(in, layout))
		return nullptr;
	std::vector<u8> unpacked;
	const u8* pixels = in.from(layout.PixelStart);
	if (layout.Type == 10)
	{
		unpacked.resize(layout.pictureBytes());
		if (!playTgaRuns(in, layout, unpacked.data()))
			return nullptr;
		pixels = unpacked.data();
	}
	const bool alpha = (layout.Descriptor & 0x0F) != 0;
	const bool topFirst = (layout.Descriptor & 0x20) != 0;
	const bool rightFirst = (layout.Descriptor & 0x10) != 0;
	const u64 entryBytes = layout.MapEntryBits / 8;
	CTarget target(driver, layout.Width, layout.Height);
	if (!target.ready())
		return nullptr;
	for (u64 row = 0; row < layout.Height; ++row)
	{
		const u64 y = topFirst ? row : layout.Height - 1 - row;
		for (u64 column = 0; column < layout.Width; ++column)
		{
			const u64 x = rightFirst ? layout.Width - 1 - column : column;
			const u8* stored = pixels + (row * layout.Width + column) * layout.pixelBytes();
			SColor colour;
			if (layout.Type == 1)
			{
				if (*stored >= layout.MapLength)
					return nullptr;
				colour = tgaColour(in.from(layout.MapStart + *stored * entryBytes), layout.MapEntryBits, alpha);
			}
			else if (layout.Type == 3)
			{
				colour = SColor(255, *stored, *stored, *stored);
			}
			else
			{
				colour = tgaColour(stored, layout.Bits, alpha);
			}
			target.set(x, y, colour);
		}
	}
	return target.release();
}

} // namespace

irr::video::IImage* createConvertedPicture(
	irr::video::IVideoDriver* driver, const u8* bytes, std::size_t size, EPictureFormat format)
{
	const CPictureBytes in(bytes, size);
	if (!driver)
		return nullptr;
	if (format == EPF_BMP)
		return convertBmp(driver, in);
	if (format == EPF_TGA)
		return convertTga(driver, in);
	return nullptr;
}

void mendSgiChannels(irr::video::IImage* picture)
{
	if (!picture || picture->getColorFormat() != irr::video::ECF_A8R8G8B8)
		return;
	u32* pixels = static_cast<u32*>(picture->lock());
	if (!pixels)
		return;
	const u64 count = u64(picture->getDimension().Width) * picture->getDimension().Height;
	for (u64 i = 0; i < count; ++i)
	{
		const SColor loaded(pixels[i]);
		pixels[i] = SColor(loaded.getRed(), loaded.getAlpha(), loaded.getBlue(), loaded.getGreen()).color;
	}
	picture->unlock();
}

} // namespace orv
