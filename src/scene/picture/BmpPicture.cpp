#include "scene/picture/PictureFormats.h"

#include <IImage.h>
#include <IrrlichtDevice.h>

#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/PictureRefusals.h"
#include "scene/picture/PictureTarget.h"

// BMPs are decoded here, every kind the client reads: Irrlicht's loader reads
// the palette from byte 54, ignores a 1-bit palette, takes the unused bits of
// 16 and 32 bits for alpha, reads a 16-bit row's padding twice, has no
// top-down rows and no bitfields, and its run-length decoders write past
// their picture.
namespace orv {

namespace {

using irr::s64;
using irr::u32;
using irr::u64;
using irr::u8;
using irr::video::SColor;

const char* const COMPRESSED_BMP = "a compressed BMP";
const char* const BITFIELDS_BMP = "a BMP whose bitfields are not the usual masks";

const u32 BMP_RGB = 0;
const u32 BMP_RLE8 = 1;
const u32 BMP_BITFIELDS = 3;
const u32 BMP_ALPHABITFIELDS = 6;

// A BMP as its headers describe it.
struct SBmpLayout
{
	u32 InfoBytes = 0;
	u32 Width = 0;
	u32 Height = 0;
	bool TopDown = false;
	u32 Bits = 0;
	u32 Compression = 0;
	// The pixels' masks, red, green, blue and alpha, at 16 and 32 bits.
	u32 Masks[4] = {0, 0, 0, 0};
	u64 PaletteStart = 0;
	// The palette entries inside the file, up to as many as the bits name.
	u64 PaletteEntries = 0;
	u64 PixelStart = 0;
	// Bytes from one row to the next, padding included.
	u64 LineBytes = 0;
};

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

// The headers, and for uncompressed pixels that every row lies inside the
// file; a run-length stream is checked as it is decoded.
const char* readBmpLayout(const CPictureBytes& in, SBmpLayout& layout)
{
	const u64 FILE_HEADER_BYTES = 14;
	const u64 MASKS_START = 54;
	if (!in.has(0, 54))
		return refusals::BAD_HEADER;
	layout.InfoBytes = in.le32(14);
	const s64 width = irr::s32(in.le32(18));
	const s64 height = irr::s32(in.le32(22));
	layout.Bits = in.le16(28);
	layout.Compression = in.le32(30);
	layout.PixelStart = in.le32(10);
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
	if (layout.PixelStart < layout.PaletteStart || layout.PixelStart > in.size())
		return refusals::BAD_HEADER;
	layout.TopDown = height < 0;
	if (width <= 0 || !isImageSizeAllowed(u64(width), u64(height < 0 ? -height : height)))
		return refusals::BAD_SIZE;
	layout.Width = u32(width);
	layout.Height = u32(height < 0 ? -height : height);
	// The header's count of colours and of pixel bytes are left aside: what
	// the file holds decides.
	if (bits <= 8)
	{
		const u64 inFile = (layout.PixelStart - layout.PaletteStart) / 4;
		layout.PaletteEntries = inFile < (1u << bits) ? inFile : (1u << bits);
	}
	const u64 rowBytes = (u64(layout.Width) * bits + 7) / 8;
	layout.LineBytes = (rowBytes + 3) / 4 * 4;
	if (layout.Compression == BMP_RGB && !in.has(layout.PixelStart, layout.LineBytes * (layout.Height - 1) + rowBytes))
		return refusals::SHORT_DATA;
	// Two bytes code at most 255 pixels: a picture larger than the stream
	// could fill is refused before its memory is taken.
	if (layout.Compression == BMP_RLE8 && u64(layout.Width) * layout.Height > (in.size() - layout.PixelStart) / 2 * 255)
		return refusals::SHORT_DATA;
	return nullptr;
}

// The palette index of pixel x of the row at `row`: a byte at 8 bits, the
// high nibble first at 4, the high bit first at 1.
u8 readIndex(const CPictureBytes& in, u64 row, u64 x, u32 bits)
{
	if (bits == 8)
		return in.at(row + x);
	if (bits == 4)
		return u8(x % 2 == 0 ? in.at(row + x / 2) >> 4 : in.at(row + x / 2) & 0x0F);
	return u8(in.at(row + x / 8) >> (7 - x % 8) & 1);
}

void readPalette(const CPictureBytes& in, const SBmpLayout& layout, SColor* palette)
{
	for (u64 i = 0; i < layout.PaletteEntries; ++i)
	{
		const u64 entry = layout.PaletteStart + 4 * i;
		palette[i] = SColor(255, in.at(entry + 2), in.at(entry + 1), in.at(entry));
	}
}

const char* decodeRows(const CPictureBytes& in, const SBmpLayout& layout, const SColor* palette, CPictureTarget& target)
{
	const u32 alphaMask = layout.Masks[3];
	const CPixelChannel red(layout.Masks[0]), green(layout.Masks[1]), blue(layout.Masks[2]), alpha(alphaMask);
	bool alphaSeen = false;
	for (u64 fileRow = 0; fileRow < layout.Height; ++fileRow)
	{
		const u64 y = layout.TopDown ? fileRow : layout.Height - 1 - fileRow;
		const u64 row = layout.PixelStart + fileRow * layout.LineBytes;
		for (u64 x = 0; x < layout.Width; ++x)
		{
			if (layout.Bits <= 8)
			{
				const u8 index = readIndex(in, row, x, layout.Bits);
				if (index >= layout.PaletteEntries)
					return refusals::BAD_PALETTE;
				target.set(x, y, palette[index]);
			}
			else if (layout.Bits == 24)
			{
				target.set(x, y, SColor(255, in.at(row + 3 * x + 2), in.at(row + 3 * x + 1), in.at(row + 3 * x)));
			}
			else
			{
				const u32 value = layout.Bits == 16 ? in.le16(row + 2 * x) : in.le32(row + 4 * x);
				alphaSeen = alphaSeen || (value & alphaMask) != 0;
				target.set(x, y, SColor(alpha.widen(value), red.widen(value), green.widen(value), blue.widen(value)));
			}
		}
	}
	// A picture that is all transparent was written by a program that
	// leaves the alpha bits unused.
	if (alphaMask != 0 && !alphaSeen)
		target.makeOpaque();
	return nullptr;
}

// An 8-bit run-length stream is accepted when it writes every pixel of the
// picture exactly once, inside its rows, with indices inside the palette, and
// ends inside the file. What a stream skips would stay unwritten: a delta
// that moves, or a line or the picture ended early, refuses it. Writers code
// a row's padding too; those pixels are dropped.
const char* decodeRuns(const CPictureBytes& in, const SBmpLayout& layout, const SColor* palette, CPictureTarget& target)
{
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
				target.set(x, layout.Height - 1 - y, palette[index]);
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

bool isBmp(const SPictureFile& file)
{
	const CPictureBytes in = file.bytes();
	return in.has(0, 2) && in.at(0) == 'B' && in.at(1) == 'M';
}

irr::video::IImage* loadBmp(SPictureFile& file, const char*& refusal)
{
	const CPictureBytes in = file.bytes();
	SBmpLayout layout;
	if ((refusal = readBmpLayout(in, layout)))
		return nullptr;
	if (!file.Device)
		return nullptr;
	SColor palette[256];
	readPalette(in, layout, palette);
	CPictureTarget target(file.Device->getVideoDriver(), layout.Width, layout.Height);
	if (!target.ready())
		return nullptr;
	refusal = layout.Compression == BMP_RLE8 ? decodeRuns(in, layout, palette, target)
											 : decodeRows(in, layout, palette, target);
	return refusal ? nullptr : target.release();
}

} // namespace

const SPictureFormat BMP_PICTURES = {isBmp, loadBmp};

} // namespace orv
