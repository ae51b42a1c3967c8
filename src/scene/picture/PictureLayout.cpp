#include "scene/picture/PictureLayout.h"

#include "scene/picture/ImageSizeGuard.h"

namespace orv {

namespace {

using irr::s64;
using irr::u32;
using irr::u64;
using irr::u8;

const char* const COMPRESSED_BMP = "a compressed BMP";
const char* const BITFIELDS_BMP = "a BMP whose bitfields are not the usual masks";
const char* const TGA_KIND = "a kind of TGA the client does not read";

const u32 BMP_BITFIELDS = 3;
const u32 BMP_ALPHABITFIELDS = 6;

struct SMasks
{
	u32 Bits;
	u32 Masks[4];
};

// The masks writers use for 16 and 32 bits; no other is read.
const SMasks USUAL_MASKS[] = {
	{16, {0x7C00, 0x03E0, 0x001F, 0}},
	{16, {0x7C00, 0x03E0, 0x001F, 0x8000}},
	{16, {0xF800, 0x07E0, 0x001F, 0}},
	{32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0}},
	{32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}},
};

bool hasUsualMasks(const SBmpLayout& layout)
{
	for (const SMasks& usual : USUAL_MASKS)
	{
		if (usual.Bits == layout.Bits && usual.Masks[0] == layout.Masks[0] && usual.Masks[1] == layout.Masks[1] &&
			usual.Masks[2] == layout.Masks[2] && usual.Masks[3] == layout.Masks[3])
			return true;
	}
	return false;
}

} // namespace

const char* readBmpLayout(const CPictureBytes& in, SBmpLayout& layout)
{
	const u64 FILE_HEADER_BYTES = 14;
	const u64 MASKS_START = 54;
	if (!in.has(0, 54))
		return refusals::BAD_HEADER;
	layout = SBmpLayout();
	layout.InfoBytes = in.le32(14);
	const s64 width = irr::s32(in.le32(18));
	const s64 height = irr::s32(in.le32(22));
	layout.Bits = in.le16(28);
	layout.Compression = in.le32(30);
	layout.PixelStart = in.le32(10);
	const u32 coloursUsed = in.le32(46);
	if (layout.InfoBytes < 40 || layout.InfoBytes > in.size())
		return refusals::BAD_HEADER;
	if (layout.Compression == BMP_BITFIELDS || layout.Compression == BMP_ALPHABITFIELDS)
	{
		// The masks follow a 40-byte header, later headers hold them.
		const u64 masks = layout.InfoBytes >= 56 ? 4 : layout.InfoBytes >= 52 ? 3 : 0;
		const u64 after = layout.InfoBytes == 40 ? (layout.Compression == BMP_ALPHABITFIELDS ? 4 : 3) : 0;
		if (!in.has(MASKS_START, 4 * (masks + after)))
			return refusals::BAD_HEADER;
		for (u64 i = 0; i < masks + after; ++i)
			layout.Masks[i] = in.le32(MASKS_START + 4 * i);
		layout.PaletteStart = FILE_HEADER_BYTES + layout.InfoBytes + 4 * after;
		if (!hasUsualMasks(layout))
			return BITFIELDS_BMP;
		layout.Compression = BMP_RGB;
		layout.Bitfields = true;
	}
	else
	{
		layout.PaletteStart = FILE_HEADER_BYTES + layout.InfoBytes;
		if (layout.Compression != BMP_RGB && !(layout.Compression == BMP_RLE8 && layout.Bits == 8 && height > 0))
			return COMPRESSED_BMP;
		if (layout.Bits == 16)
			layout.Masks[0] = 0x7C00, layout.Masks[1] = 0x03E0, layout.Masks[2] = 0x001F;
		else if (layout.Bits == 32)
			layout.Masks[0] = 0x00FF0000, layout.Masks[1] = 0x0000FF00, layout.Masks[2] = 0x000000FF,
			layout.Masks[3] = 0xFF000000;
	}
	const u32 bits = layout.Bits;
	if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
		return refusals::BAD_HEADER;
	// Irrlicht takes everything between the header and the pixels for the
	// palette; an offset inside the header makes that a negative size.
	if (layout.PixelStart < layout.PaletteStart || layout.PixelStart > in.size())
		return refusals::BAD_HEADER;
	layout.TopDown = height < 0;
	if (width <= 0 || !isImageSizeAllowed(u64(width), u64(height < 0 ? -height : height)))
		return refusals::BAD_SIZE;
	layout.Width = u32(width);
	layout.Height = u32(height < 0 ? -height : height);
	if (bits <= 8)
	{
		const u64 declared = coloursUsed == 0 || coloursUsed > (1u << bits) ? (1u << bits) : coloursUsed;
		const u64 inFile = (layout.PixelStart - layout.PaletteStart) / 4;
		layout.PaletteEntries = declared < inFile ? declared : inFile;
	}
	const u64 rowBytes = (u64(layout.Width) * bits + 7) / 8;
	layout.LineBytes = (rowBytes + 3) / 4 * 4;
	if (layout.Compression == BMP_RLE8)
		return playBmpRuns(in, layout, nullptr);
	if (!in.has(layout.PixelStart, layout.LineBytes * (layout.Height - 1) + rowBytes))
		return refusals::SHORT_DATA;
	return nullptr;
}

bool bmpHasAlpha(const CPictureBytes& in, const SBmpLayout& layout)
{
	if (layout.Masks[3] == 0 || (layout.Bits != 16 && layout.Bits != 32))
		return false;
	for (u64 y = 0; y < layout.Height; ++y)
	{
		const u64 row = layout.PixelStart + y * layout.LineBytes;
		for (u64 x = 0; x < layout.Width; ++x)
		{
			const u32 value = layout.Bits == 16 ? in.le16(row + 2 * x) : in.le32(row + 4 * x);
			if ((value & layout.Masks[3]) != 0)
				return true;
		}
	}
	return false;
}

const char* playBmpRuns(const CPictureBytes& in, const SBmpLayout& layout, u8* indices)
{
	// What a stream skips would stay unwritten: a delta that moves, or a line
	// or the picture ended early, refuses it. Writers code a row's padding
	// too; those pixels are dropped.
	const u64 padded = layout.LineBytes;
	u64 pos = layout.PixelStart;
	u64 x = 0;
	u64 y = 0;
	for (;;)
	{
		if (!in.has(pos, 2))
			return refusals::SHORT_DATA;
		const u8 count = in.at(pos);
		const u8 code = in.at(pos + 1);
		pos += 2;
		const bool run = count > 0;
		const bool literal = count == 0 && code > 2;
		if (run || literal)
		{
			const u64 pixels = run ? count : code;
			if (y >= layout.Height || pixels > padded - x || (literal && !in.has(pos, pixels)))
				return refusals::SHORT_DATA;
			for (u64 i = 0; i < pixels; ++i, ++x)
			{
				const u8 index = run ? code : in.at(pos + i);
				if (x >= layout.Width)
					continue;
				if (index >= layout.PaletteEntries)
					return refusals::BAD_PALETTE;
				if (indices)
					indices[y * layout.Width + x] = index;
			}
			if (literal)
				pos += (pixels + 1) / 2 * 2;
		}
		else if (code == 0)
		{
			if (x < layout.Width)
				return refusals::SHORT_DATA;
			x = 0;
			++y;
		}
		else if (code == 1)
		{
			const bool filled = (y == layout.Height && x == 0) || (y + 1 == layout.Height && x >= layout.Width);
			return filled ? nullptr : refusals::SHORT_DATA;
		}
		else
		{
			if (!in.has(pos, 2) || in.at(pos) != 0 || in.at(pos + 1) != 0)
				return refusals::SHORT_DATA;
			pos += 2;
		}
	}
}

const char* readTgaLayout(const CPictureBytes& in, STgaLayout& layout)
{
	if (!in.has(0, 18))
		return refusals::BAD_HEADER;
	layout = STgaLayout();
	const u8 idBytes = in.at(0);
	const u8 mapType = in.at(1);
	layout.Type = in.at(2);
	layout.MapLength = in.le16(5);
	layout.MapEntryBits = in.at(7);
	layout.Width = in.le16(12);
	layout.Height = in.le16(14);
	layout.Bits = in.at(16);
	layout.Descriptor = in.at(17);

	// Irrlicht has no decoder for run-length coded colour-mapped and grey
	// pictures.
	if (layout.Type == 9 || layout.Type == 11)
		return TGA_KIND;
	// What Irrlicht decodes: colour-mapped (1) and grey (3) at 8 bits, true
	// colour plain (2) or run-length coded (10) at 16, 24 or 32 bits.
	const u8 bits = layout.Bits;
	const bool trueColour = bits == 16 || bits == 24 || bits == 32;
	const u8 entryBits = layout.MapEntryBits;
	bool readable = false;
	if (layout.Type == 1)
		readable = bits == 8 && mapType == 1 && layout.MapLength > 0 &&
			(entryBits == 16 || entryBits == 24 || entryBits == 32);
	else if (layout.Type == 3)
		readable = bits == 8;
	else if (layout.Type == 2 || layout.Type == 10)
		readable = trueColour;
	if (mapType > 1 || !readable)
		return refusals::BAD_HEADER;
	if (!isImageSizeAllowed(layout.Width, layout.Height))
		return refusals::BAD_SIZE;

	const u64 mapBytes = mapType ? u64(entryBits / 8) * layout.MapLength : 0;
	if (!in.has(18, idBytes + mapBytes))
		return refusals::BAD_HEADER;
	layout.MapStart = 18 + idBytes;
	layout.PixelStart = layout.MapStart + mapBytes;
	if (layout.Type == 10)
		return playTgaRuns(in, layout, nullptr) ? nullptr : refusals::SHORT_DATA;
	if (!in.has(layout.PixelStart, layout.pictureBytes()))
		return refusals::SHORT_DATA;
	if (layout.Type == 1)
	{
		const u64 count = u64(layout.Width) * layout.Height;
		for (u64 i = 0; i < count; ++i)
		{
			if (in.at(layout.PixelStart + i) >= layout.MapLength)
				return refusals::BAD_PALETTE;
		}
	}
	return nullptr;
}

bool playTgaRuns(const CPictureBytes& in, const STgaLayout& layout, u8* pixels)
{
	// Irrlicht's decoder writes every packet whole, also past the picture's end.
	const u64 pixelBytes = layout.pixelBytes();
	const u64 pictureBytes = layout.pictureBytes();
	u64 pos = layout.PixelStart;
	u64 written = 0;
	while (written < pictureBytes)
	{
		if (!in.has(pos, 1))
			return false;
		const u8 packet = in.at(pos++);
		const u64 count = packet < 128 ? packet + 1u : packet - 127u;
		const u64 stored = packet < 128 ? count * pixelBytes : pixelBytes;
		if (!in.has(pos, stored) || count * pixelBytes > pictureBytes - written)
			return false;
		for (u64 i = 0; pixels && i < count * pixelBytes; ++i)
			pixels[written + i] = in.at(pos + (packet < 128 ? i : i % pixelBytes));
		pos += stored;
		written += count * pixelBytes;
	}
	return true;
}

} // namespace orv
