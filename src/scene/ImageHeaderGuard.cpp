#include "scene/ImageHeaderGuard.h"

#include <cstring>

#include "scene/ImageSizeGuard.h"

namespace orv {

namespace {

using irr::u16;
using irr::u32;
using irr::u64;
using irr::u8;

const char* const NOT_A_PICTURE = "not a picture format the client reads";
const char* const BAD_HEADER = "its header is short or inconsistent";
const char* const BAD_SIZE = "its size is 0 or above the limit";
const char* const SHORT_DATA = "its pixel data is short";
const char* const BAD_PALETTE = "its pixels name colours its palette lacks";

// Every read is checked against the end first: a field beyond it refuses
// the picture, it is never read.
class CBytes
{
public:
	CBytes(const u8* data, std::size_t size) : Data(data), Size(size) {}

	u64 size() const { return Size; }
	bool has(u64 offset, u64 count) const { return offset <= Size && count <= Size - offset; }
	u8 at(u64 offset) const { return Data[offset]; }
	const u8* from(u64 offset) const { return Data + offset; }
	u16 le16(u64 offset) const { return u16(at(offset) | at(offset + 1) << 8); }
	u32 le32(u64 offset) const { return u32(le16(offset)) | u32(le16(offset + 2)) << 16; }
	u16 be16(u64 offset) const { return u16(at(offset) << 8 | at(offset + 1)); }
	u32 be32(u64 offset) const { return u32(be16(offset)) << 16 | be16(offset + 2); }

private:
	const u8* Data;
	u64 Size;
};

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

// The palette indices the loader will look up, row by row: one byte each at
// 8 bits, the high nibble first at 4 bits.
bool indicesWithin(const CBytes& in, u64 start, u64 lineBytes, u64 width, u64 height, u32 bits, u64 entries)
{
	if (entries >= (u64(1) << bits))
		return true;
	for (u64 y = 0; y < height; ++y) {
		const u64 row = start + y * lineBytes;
		for (u64 x = 0; x < width; ++x) {
			const u8 index = bits == 8 ? in.at(row + x)
									   : u8(x % 2 == 0 ? in.at(row + x / 2) >> 4 : in.at(row + x / 2) & 0x0F);
			if (index >= entries)
				return false;
		}
	}
	return true;
}

const u8 PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool checkPng(const CBytes& in, SPictureHeader& header, const char*& refusal)
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

bool checkJpeg(const CBytes& in, SPictureHeader& header, const char*& refusal)
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
	for (;;) {
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
		if (isJpegFrameMarker(marker)) {
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
		if (marker == 0xDA) {
			if (!frame)
				return refuse(refusal, BAD_HEADER);
			scan = true;
			// The coded data runs to the next marker: 0xFF followed by neither
			// a stuffed 0 nor a restart marker.
			for (;;) {
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

bool checkBmp(const CBytes& in, SPictureHeader& header, const char*& refusal)
{
	// The file header and the 40-byte info header, as Irrlicht reads them.
	const u64 HEADER_BYTES = 54;
	if (!in.has(0, HEADER_BYTES))
		return refuse(refusal, BAD_HEADER);
	const u32 offset = in.le32(10);
	const u32 infoBytes = in.le32(14);
	const u32 width = in.le32(18);
	const u32 height = in.le32(22);
	const u16 bits = in.le16(28);
	const u32 compression = in.le32(30);
	const u32 dataBytes = in.le32(34);
	// Irrlicht takes everything between the header and the pixels for the
	// palette; an offset inside the header makes that a negative size.
	if (infoBytes < 40 || offset < HEADER_BYTES || offset > in.size())
		return refuse(refusal, BAD_HEADER);
	// Its run-length decoders write past their picture on ordinary data.
	if (compression != 0)
		return refuse(refusal, "a compressed BMP");
	if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
		return refuse(refusal, BAD_HEADER);
	// A top-down picture's negative height reads as a huge one.
	if (!isImageSizeAllowed(width, height))
		return refuse(refusal, BAD_SIZE);

	const u64 rowBytes = (u64(width) * bits + 7) / 8;
	const u64 lineBytes = (rowBytes + 3) / 4 * 4;
	// Irrlicht steps from one 16-bit row to the next in pixels and adds the
	// row's padding as pixels too, so it reads twice the padding.
	const u64 stride = bits == 16 ? rowBytes + 2 * (lineBytes - rowBytes) : lineBytes;
	const u64 readBytes = stride * (height - 1) + rowBytes;
	if (!in.has(offset, readBytes))
		return refuse(refusal, SHORT_DATA);
	// Irrlicht's buffer for the pixels: the declared size rounded up to four
	// (wrapping in 32 bits), or the rest of the file for 0. The rows are read
	// from it whatever its size.
	u32 buffer = dataBytes + (4 - dataBytes % 4) % 4;
	if (buffer == 0)
		buffer = static_cast<u32>(in.size() - offset);
	if (buffer < readBytes || buffer > in.size() - offset + 3)
		return refuse(refusal, BAD_HEADER);
	if ((bits == 4 || bits == 8) &&
		!indicesWithin(in, offset, lineBytes, width, height, bits, (offset - HEADER_BYTES) / 4))
		return refuse(refusal, BAD_PALETTE);
	return accept(header, EPF_BMP, width, height, refusal);
}

// The footer of a TGA 2.0 file, terminator included, as Irrlicht compares it.
const char TGA_SIGNATURE[18] = "TRUEVISION-XFILE.";

bool hasTgaFooter(const CBytes& in)
{
	return in.size() >= 26 && std::memcmp(in.from(in.size() - 18), TGA_SIGNATURE, 18) == 0;
}

// Irrlicht's decoder writes every packet whole, also past the picture's end.
bool runsFillPicture(const CBytes& in, u64 pos, u64 pictureBytes, u64 pixelBytes)
{
	u64 written = 0;
	while (written < pictureBytes) {
		if (!in.has(pos, 1))
			return false;
		const u8 packet = in.at(pos++);
		const u64 pixels = packet < 128 ? packet + 1u : packet - 127u;
		const u64 stored = packet < 128 ? pixels * pixelBytes : pixelBytes;
		if (!in.has(pos, stored) || pixels * pixelBytes > pictureBytes - written)
			return false;
		pos += stored;
		written += pixels * pixelBytes;
	}
	return true;
}

bool checkTga(const CBytes& in, bool named, SPictureHeader& header, const char*& refusal)
{
	if (!named && !hasTgaFooter(in))
		return refuse(refusal, NOT_A_PICTURE);
	if (!in.has(0, 18))
		return refuse(refusal, BAD_HEADER);
	const u8 idBytes = in.at(0);
	const u8 mapType = in.at(1);
	const u8 type = in.at(2);
	const u16 mapLength = in.le16(5);
	const u8 mapEntryBits = in.at(7);
	const u16 width = in.le16(12);
	const u16 height = in.le16(14);
	const u8 bits = in.at(16);

	// What Irrlicht decodes: colour-mapped (1) and grey (3) at 8 bits, true
	// colour plain (2) or run-length coded (10) at 16, 24 or 32 bits.
	const bool trueColour = bits == 16 || bits == 24 || bits == 32;
	bool readable = false;
	if (type == 1)
		readable = bits == 8 && mapType == 1 && mapLength > 0 &&
			(mapEntryBits == 16 || mapEntryBits == 24 || mapEntryBits == 32);
	else if (type == 3)
		readable = bits == 8;
	else if (type == 2 || type == 10)
		readable = trueColour;
	if (mapType > 1 || !readable)
		return refuse(refusal, BAD_HEADER);
	if (!isImageSizeAllowed(width, height))
		return refuse(refusal, BAD_SIZE);

	const u64 mapBytes = mapType ? u64(mapEntryBits / 8) * mapLength : 0;
	if (!in.has(18, idBytes + mapBytes))
		return refuse(refusal, BAD_HEADER);
	const u64 start = 18 + idBytes + mapBytes;
	const u64 pixelBytes = bits / 8;
	const u64 pictureBytes = u64(width) * height * pixelBytes;
	if (type == 10) {
		if (!runsFillPicture(in, start, pictureBytes, pixelBytes))
			return refuse(refusal, SHORT_DATA);
	} else {
		if (!in.has(start, pictureBytes))
			return refuse(refusal, SHORT_DATA);
		if (type == 1 && !indicesWithin(in, start, width, width, height, 8, mapLength))
			return refuse(refusal, BAD_PALETTE);
	}
	return accept(header, EPF_TGA, width, height, refusal);
}

} // namespace

bool checkPictureBytes(const u8* bytes, std::size_t size, bool namedTga, SPictureHeader& header,
	const char*& refusal)
{
	header = SPictureHeader();
	refusal = nullptr;
	const CBytes in(bytes, bytes ? size : 0);
	if (in.size() > PICTURE_MAX_FILE_BYTES)
		return refuse(refusal, BAD_SIZE);
	if (in.has(0, 8) && std::memcmp(in.from(0), PNG_SIGNATURE, 8) == 0)
		return checkPng(in, header, refusal);
	if (in.has(0, 3) && in.at(0) == 0xFF && in.at(1) == 0xD8 && in.at(2) == 0xFF)
		return checkJpeg(in, header, refusal);
	if (in.has(0, 2) && in.at(0) == 'B' && in.at(1) == 'M')
		return checkBmp(in, header, refusal);
	return checkTga(in, namedTga, header, refusal);
}

const char* getPictureExtension(EPictureFormat format)
{
	switch (format) {
	case EPF_PNG:
		return "png";
	case EPF_JPEG:
		return "jpg";
	case EPF_BMP:
		return "bmp";
	case EPF_TGA:
		return "tga";
	default:
		return "";
	}
}

} // namespace orv
