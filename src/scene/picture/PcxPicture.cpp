#include "scene/picture/PictureFormats.h"

#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/IrrlichtPictureLoader.h"
#include "scene/picture/PictureRefusals.h"

// PCXs are decoded by Irrlicht's loader, which reads right version 5, run-
// length coded, 8 bits in one plane with the 256-colour palette at the end or
// in three planes of red, green and blue. Its decoder does not stop at its
// buffer's end, so every run must end inside its scan line, and it decodes
// the scan lines whole before it cuts them to the picture, so they may be
// padded only as writers pad them.
namespace orv {

namespace {

using irr::u32;
using irr::u64;
using irr::u8;

const char* const PCX_KIND = "a kind of PCX the client does not read";

bool isPcx(const SPictureFile& file)
{
	// No TGA has a colour-map type above 1 in its second byte.
	const CPictureBytes in = file.bytes();
	return in.has(0, 3) && in.at(0) == 0x0A && in.at(1) == 5 && in.at(2) == 1;
}

const char* readPcx(const CPictureBytes& in, u32& width, u32& height)
{
	const u64 HEADER_BYTES = 128;
	const u64 PALETTE_BYTES = 769;
	if (!in.has(0, HEADER_BYTES))
		return refusals::BAD_HEADER;
	if (in.at(3) != 8 || (in.at(65) != 1 && in.at(65) != 3))
		return PCX_KIND;
	const u32 planes = in.at(65);
	const u32 left = in.le16(4), top = in.le16(6), right = in.le16(8), bottom = in.le16(10);
	const u32 lineBytes = in.le16(66);
	if (right < left || bottom < top)
		return refusals::BAD_HEADER;
	width = right - left + 1;
	height = bottom - top + 1;
	// Writers pad a scan line to an even count of bytes, a few to four.
	if (lineBytes < width || lineBytes > (width + 3) / 4 * 4)
		return refusals::BAD_HEADER;
	if (!isImageSizeAllowed(width, height))
		return refusals::BAD_SIZE;
	u64 end = in.size();
	if (planes == 1)
	{
		if (!in.has(HEADER_BYTES, PALETTE_BYTES) || in.at(in.size() - PALETTE_BYTES) != 0x0C)
			return refusals::BAD_HEADER;
		end -= PALETTE_BYTES;
	}
	const u64 scanLine = u64(lineBytes) * planes;
	const u64 total = scanLine * height;
	u64 pos = HEADER_BYTES;
	for (u64 written = 0; written < total;)
	{
		if (pos >= end)
			return refusals::SHORT_DATA;
		const u8 code = in.at(pos++);
		u64 count = 1;
		if ((code & 0xC0) == 0xC0)
		{
			count = code & 0x3F;
			if (pos++ >= end)
				return refusals::SHORT_DATA;
		}
		if (count > scanLine - written % scanLine)
			return refusals::SHORT_DATA;
		written += count;
	}
	return nullptr;
}

irr::video::IImage* loadPcx(SPictureFile& file, const char*& refusal)
{
	u32 width = 0;
	u32 height = 0;
	if ((refusal = readPcx(file.bytes(), width, height)))
		return nullptr;
	return loadThroughIrrlicht(file, "pcx", width, height, refusal);
}

} // namespace

const SPictureFormat PCX_PICTURES = {isPcx, loadPcx};

} // namespace orv
