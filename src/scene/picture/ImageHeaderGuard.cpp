#include "scene/picture/ImageHeaderGuard.h"

#include <cstring>

#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/PictureLayout.h"

namespace orv {

namespace {

using irr::u16;
using irr::u32;
using irr::u64;
using irr::u8;

using namespace refusals;

const char* const PCX_KIND = "a kind of PCX the client does not read";
const char* const SGI_KIND = "a kind of SGI picture the client does not read";

bool refuse(const char*& refusal, const char* reason)
{
	refusal = reason;
	return false;
}

bool accept(SPictureHeader& header, EPictureFormat format, u64 width, u64 height, const char*& refusal)
{
	if (!isImageSizeAllowed(width, height))
		return refuse(refusal, BAD_SIZE);
	header.Format = format;
	header.Width = static_cast<u32>(width);
	header.Height = static_cast<u32>(height);
	return true;
}

// The palette indices the loader will look up, row by row.
bool indicesWithin(const CPictureBytes& in, u64 start, u64 lineBytes, u64 width, u64 height, u32 bits, u64 entries)
{
	if (entries >= (u64(1) << bits))
		return true;
	for (u64 y = 0; y < height; ++y)
	{
		const u64 row = start + y * lineBytes;
		for (u64 x = 0; x < width; ++x)
		{
			const u8 index = readBmpIndex(in, row, x, bits);
			if (index >= entries)
				return false;
		}
	}
	return true;
}

const u8 PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool checkPng(const CPictureBytes& in, SPictureHeader& header, const char*& refusal)
{
	// The signature, then the IHDR chunk, which must come first: its length
	// (13), its type, the width and the height. libpng checks the rest.
	if (!in.has(0, 33) || in.be32(8) != 13 || std::memcmp(in.from(12), "IHDR", 4) != 0)
		return refuse(refusal, BAD_HEADER);
	return accept(header, EPF_PNG, in.be32(16), in.be32(20), refusal);
}

bool isJpegFrameMarker(u8 marker)
{
	return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool isJpegRestartMarker(u8 marker)
{
	return marker >= 0xD0 && marker <= 0xD7;
}

bool checkJpeg(const CPictureBytes& in, SPictureHeader& header, const char*& refusal)
{
	// Irrlicht hands libjpeg the file once, gives it nothing when it asks for
	// more and skips by subtracting, so a segment or a scan that ends past
	// the file sends libjpeg past its buffer. Every segment and every scan
	// must end inside the file, up to the end-of-image marker.
	u64 pos = 2;
	bool frame = false;
	bool scan = false;
	u32 width = 0;
	u32 height = 0;
	u32 components = 0;
	for (;;)
	{
		if (!in.has(pos, 2) || in.at(pos) != 0xFF)
			return refuse(refusal, BAD_HEADER);
		while (in.has(pos + 1, 1) && in.at(pos + 1) == 0xFF)
			++pos; // fill bytes before a marker
		if (!in.has(pos, 2))
			return refuse(refusal, BAD_HEADER);
		const u8 marker = in.at(pos + 1);
		pos += 2;
		if (marker == 0xD9)
			break;
		if (marker == 0x00)
			return refuse(refusal, BAD_HEADER);
		if (marker == 0x01 || isJpegRestartMarker(marker))
			continue; // no segment follows
		if (!in.has(pos, 2))
			return refuse(refusal, BAD_HEADER);
		const u32 length = in.be16(pos);
		if (length < 2 || !in.has(pos, length))
			return refuse(refusal, BAD_HEADER);
		if (isJpegFrameMarker(marker))
		{
			if (frame || length < 8)
				return refuse(refusal, BAD_HEADER);
			height = in.be16(pos + 3);
			width = in.be16(pos + 5);
			components = in.at(pos + 7);
			if (length != 8 + 3 * components)
				return refuse(refusal, BAD_HEADER);
			frame = true;
		}
		pos += length;
		if (marker == 0xDA)
		{
			if (!frame)
				return refuse(refusal, BAD_HEADER);
			scan = true;
			// The coded data runs to the next marker: 0xFF followed by neither
			// a stuffed 0 nor a restart marker.
			for (;;)
			{
				if (!in.has(pos, 2))
					return refuse(refusal, SHORT_DATA);
				const u8 next = in.at(pos + 1);
				if (in.at(pos) == 0xFF && next != 0x00 && !isJpegRestartMarker(next))
					break;
				++pos;
			}
		}
	}
	if (!frame || !scan)
		return refuse(refusal, BAD_HEADER);
	// Irrlicht keeps the bytes of a decoded row in 16 bits: three a pixel,
	// four for CMYK.
	const u64 rowBytes = u64(width) * (components == 4 ? 4 : 3);
	if (rowBytes > 0xFFFF)
		return refuse(refusal, BAD_SIZE);
	return accept(header, EPF_JPEG, width, height, refusal);
}

bool isBlackThenWhite(const CPictureBytes& in, const SBmpLayout& layout)
{
	const u64 p = layout.PaletteStart;
	return in.le16(p) == 0 && in.at(p + 2) == 0 && in.le16(p + 4) == 0xFFFF && in.at(p + 6) == 0xFF;
}

// What Irrlicht's loader draws wrong: it reads the palette from byte 54,
// ignores a 1-bit palette, takes the unused bits of 16 and 32 bits for
// alpha, reads a 16-bit row's padding twice, has no top-down rows and no
// bitfields, and its run-length decoders write past their picture. Those
// pictures are converted by the client instead.
bool needsConversion(const CPictureBytes& in, const SBmpLayout& layout)
{
	if (layout.InfoBytes != 40 || layout.Bitfields || layout.Compression != BMP_RGB || layout.TopDown ||
		layout.Bits == 16)
		return true;
	if (layout.Bits == 1)
		return layout.PaletteEntries >= 2 && !isBlackThenWhite(in, layout);
	return layout.Bits == 32 && !bmpHasAlpha(in, layout);
}

// What Irrlicht's own loader reads of a plain BMP, checked as it reads it.
bool checkPlainBmp(const CPictureBytes& in, const SBmpLayout& layout, const char*& refusal)
{
	const u64 HEADER_BYTES = 54;
	const u32 bits = layout.Bits;
	const u64 rowBytes = (u64(layout.Width) * bits + 7) / 8;
	const u64 readBytes = layout.LineBytes * (layout.Height - 1) + rowBytes;
	// Irrlicht's buffer for the pixels: the declared size rounded up to four
	// (wrapping in 32 bits), or the rest of the file for 0. The rows are read
	// from it whatever its size.
	const u32 dataBytes = in.le32(34);
	u32 buffer = dataBytes + (4 - dataBytes % 4) % 4;
	if (buffer == 0)
		buffer = static_cast<u32>(in.size() - layout.PixelStart);
	if (buffer < readBytes || buffer > in.size() - layout.PixelStart + 3)
		return refuse(refusal, BAD_HEADER);
	if ((bits == 4 || bits == 8) &&
		!indicesWithin(in, layout.PixelStart, layout.LineBytes, layout.Width, layout.Height, bits,
			(layout.PixelStart - HEADER_BYTES) / 4))
		return refuse(refusal, BAD_PALETTE);
	return true;
}

bool checkBmp(const CPictureBytes& in, SPictureHeader& header, const char*& refusal)
{
	SBmpLayout layout;
	if (const char* reason = readBmpLayout(in, layout))
		return refuse(refusal, reason);
	header.Convert = needsConversion(in, layout);
	if (!header.Convert && !checkPlainBmp(in, layout, refusal))
		return false;
	if (header.Convert && layout.Bits <= 8 && layout.Compression == BMP_RGB &&
		!indicesWithin(
			in, layout.PixelStart, layout.LineBytes, layout.Width, layout.Height, layout.Bits, layout.PaletteEntries))
		return refuse(refusal, BAD_PALETTE);
	return accept(header, EPF_BMP, layout.Width, layout.Height, refusal);
}

// The footer of a TGA 2.0 file, terminator included, as Irrlicht compares it.
const char TGA_SIGNATURE[18] = "TRUEVISION-XFILE.";

bool hasTgaFooter(const CPictureBytes& in)
{
	return in.size() >= 26 && std::memcmp(in.from(in.size() - 18), TGA_SIGNATURE, 18) == 0;
}

bool checkTga(const CPictureBytes& in, bool named, SPictureHeader& header, const char*& refusal)
{
	if (!named && !hasTgaFooter(in))
		return refuse(refusal, NOT_A_PICTURE);
	STgaLayout layout;
	if (const char* reason = readTgaLayout(in, layout))
		return refuse(refusal, reason);
	// Irrlicht scrambles 32-bit colour-map entries, ignores a right-hand
	// origin and takes the top bit of 16 bits for alpha even when the
	// attribute bits say there is none.
	header.Convert = (layout.Type == 1 && layout.MapEntryBits == 32) || (layout.Descriptor & 0x10) != 0 ||
		(layout.Bits == 16 && (layout.Descriptor & 0x0F) == 0);
	return accept(header, EPF_TGA, layout.Width, layout.Height, refusal);
}

// Version 5, run-length coded, 8 bits in one plane with the 256-colour
// palette at the end or in three planes of red, green and blue: what
// Irrlicht's loader reads right. Its decoder does not stop at its buffer's
// end, so every run must end inside its scan line.
bool checkPcx(const CPictureBytes& in, SPictureHeader& header, const char*& refusal)
{
	const u64 HEADER_BYTES = 128;
	const u64 PALETTE_BYTES = 769;
	if (!in.has(0, HEADER_BYTES))
		return refuse(refusal, BAD_HEADER);
	if (in.at(3) != 8 || (in.at(65) != 1 && in.at(65) != 3))
		return refuse(refusal, PCX_KIND);
	const u32 planes = in.at(65);
	const u32 left = in.le16(4), top = in.le16(6), right = in.le16(8), bottom = in.le16(10);
	const u32 lineBytes = in.le16(66);
	if (right < left || bottom < top || lineBytes < right - left + 1)
		return refuse(refusal, BAD_HEADER);
	const u64 width = right - left + 1;
	const u64 height = bottom - top + 1;
	if (!isImageSizeAllowed(width, height))
		return refuse(refusal, BAD_SIZE);
	u64 end = in.size();
	if (planes == 1)
	{
		if (!in.has(HEADER_BYTES, PALETTE_BYTES) || in.at(in.size() - PALETTE_BYTES) != 0x0C)
			return refuse(refusal, BAD_HEADER);
		end -= PALETTE_BYTES;
	}
	const u64 scanLine = u64(lineBytes) * planes;
	const u64 total = scanLine * height;
	u64 pos = HEADER_BYTES;
	for (u64 written = 0; written < total;)
	{
		if (pos >= end)
			return refuse(refusal, SHORT_DATA);
		const u8 code = in.at(pos++);
		u64 count = 1;
		if ((code & 0xC0) == 0xC0)
		{
			count = code & 0x3F;
			if (pos++ >= end)
				return refuse(refusal, SHORT_DATA);
		}
		if (count > scanLine - written % scanLine)
			return refuse(refusal, SHORT_DATA);
		written += count;
	}
	return accept(header, EPF_PCX, width, height, refusal);
}

// One SGI row of run-length packets: exactly the row's pixels, each packet
// and the closing empty one inside the row's bytes.
bool sgiRowFills(const CPictureBytes& in, u64 start, u64 length, u64 width)
{
	if (!in.has(start, length))
		return false;
	const u64 end = start + length;
	u64 pixels = 0;
	for (u64 pos = start; pos < end;)
	{
		const u8 code = in.at(pos++);
		const u64 count = code & 0x7F;
		if (count == 0)
			return pixels == width;
		const u64 stored = (code & 0x80) ? count : 1;
		if (stored > end - pos || count > width - pixels)
			return false;
		pos += stored;
		pixels += count;
	}
	return false;
}

// One byte a channel, RGB or RGBA, plain or run-length coded: what
// Irrlicht's loader reads right. It makes grey pictures blue.
bool checkSgi(const CPictureBytes& in, SPictureHeader& header, const char*& refusal)
{
	const u64 HEADER_BYTES = 512;
	if (!in.has(0, HEADER_BYTES))
		return refuse(refusal, BAD_HEADER);
	const u8 storage = in.at(2);
	const u16 dimension = in.be16(4);
	const u64 width = in.be16(6);
	const u64 height = in.be16(8);
	const u64 channels = in.be16(10);
	if (storage > 1 || dimension < 1 || dimension > 3 || in.be32(104) != 0)
		return refuse(refusal, BAD_HEADER);
	if (in.at(3) != 1 || dimension != 3 || (channels != 3 && channels != 4))
		return refuse(refusal, SGI_KIND);
	if (!isImageSizeAllowed(width, height))
		return refuse(refusal, BAD_SIZE);
	const u64 rows = height * channels;
	if (storage == 0)
	{
		if (!in.has(HEADER_BYTES, rows * width))
			return refuse(refusal, SHORT_DATA);
		return accept(header, EPF_SGI, width, height, refusal);
	}
	if (!in.has(HEADER_BYTES, rows * 8))
		return refuse(refusal, SHORT_DATA);
	for (u64 row = 0; row < rows; ++row)
	{
		const u64 start = in.be32(HEADER_BYTES + 4 * row);
		const u64 length = in.be32(HEADER_BYTES + 4 * (rows + row));
		if (start < HEADER_BYTES + rows * 8 || !sgiRowFills(in, start, length, width))
			return refuse(refusal, SHORT_DATA);
	}
	return accept(header, EPF_SGI, width, height, refusal);
}

} // namespace

bool checkPictureBytes(const u8* bytes, std::size_t size, bool namedTga, SPictureHeader& header, const char*& refusal)
{
	header = SPictureHeader();
	refusal = nullptr;
	const CPictureBytes in(bytes, size);
	if (in.size() > PICTURE_MAX_FILE_BYTES)
		return refuse(refusal, BAD_SIZE);
	if (in.has(0, 8) && std::memcmp(in.from(0), PNG_SIGNATURE, 8) == 0)
		return checkPng(in, header, refusal);
	if (in.has(0, 3) && in.at(0) == 0xFF && in.at(1) == 0xD8 && in.at(2) == 0xFF)
		return checkJpeg(in, header, refusal);
	if (in.has(0, 2) && in.at(0) == 'B' && in.at(1) == 'M')
		return checkBmp(in, header, refusal);
	// No TGA has a colour-map type above 1 in its second byte.
	if (in.has(0, 3) && in.at(0) == 0x0A && in.at(1) == 5 && in.at(2) == 1)
		return checkPcx(in, header, refusal);
	if (in.has(0, 2) && in.be16(0) == 474)
		return checkSgi(in, header, refusal);
	return checkTga(in, namedTga, header, refusal);
}

const char* getPictureExtension(EPictureFormat format)
{
	switch (format)
	{
	case EPF_PNG:
		return "png";
	case EPF_JPEG:
		return "jpg";
	case EPF_BMP:
		return "bmp";
	case EPF_TGA:
		return "tga";
	case EPF_PCX:
		return "pcx";
	case EPF_SGI:
		return "rgb";
	default:
		return "";
	}
}

} // namespace orv
