#include "scene/picture/PictureFormats.h"

#include <IImage.h>

#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/IrrlichtPictureLoader.h"
#include "scene/picture/PictureRefusals.h"

// SGI pictures are decoded by Irrlicht's loader, which reads right one byte a
// channel, RGB or RGBA, plain or run-length coded, and makes grey pictures
// blue. It reads each run-length row whole into a buffer its width sizes, so
// a row may take no more bytes than a packet for every pixel and the closing
// one.
namespace orv {

namespace {

using irr::u16;
using irr::u32;
using irr::u64;
using irr::u8;

const char* const SGI_KIND = "a kind of SGI picture the client does not read";

bool isSgi(const SPictureFile& file)
{
	const CPictureBytes in = file.bytes();
	return in.has(0, 2) && in.be16(0) == 474;
}

// One row of run-length packets: exactly the row's pixels, each packet and
// the closing empty one inside the row's bytes.
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

const char* readSgi(const CPictureBytes& in, u32& width, u32& height)
{
	const u64 HEADER_BYTES = 512;
	if (!in.has(0, HEADER_BYTES))
		return refusals::BAD_HEADER;
	const u8 storage = in.at(2);
	const u16 dimension = in.be16(4);
	width = in.be16(6);
	height = in.be16(8);
	const u64 channels = in.be16(10);
	if (storage > 1 || dimension < 1 || dimension > 3 || in.be32(104) != 0)
		return refusals::BAD_HEADER;
	if (in.at(3) != 1 || dimension != 3 || (channels != 3 && channels != 4))
		return SGI_KIND;
	if (!isImageSizeAllowed(width, height))
		return refusals::BAD_SIZE;
	const u64 rows = u64(height) * channels;
	if (storage == 0)
		return in.has(HEADER_BYTES, rows * width) ? nullptr : refusals::SHORT_DATA;
	if (!in.has(HEADER_BYTES, rows * 8))
		return refusals::SHORT_DATA;
	for (u64 row = 0; row < rows; ++row)
	{
		const u64 start = in.be32(HEADER_BYTES + 4 * row);
		const u64 length = in.be32(HEADER_BYTES + 4 * (rows + row));
		if (length > 2 * u64(width) + 1)
			return refusals::BAD_HEADER;
		if (start < HEADER_BYTES + rows * 8 || !sgiRowFills(in, start, length, width))
			return refusals::SHORT_DATA;
	}
	return nullptr;
}

// Irrlicht's loader puts each pixel's red in the alpha byte, its alpha in
// red, blue in green and green in blue; puts them back.
void mendChannels(irr::video::IImage* picture)
{
	if (!picture || picture->getColorFormat() != irr::video::ECF_A8R8G8B8)
		return;
	u32* pixels = static_cast<u32*>(picture->lock());
	if (!pixels)
		return;
	const u64 count = u64(picture->getDimension().Width) * picture->getDimension().Height;
	for (u64 i = 0; i < count; ++i)
	{
		const irr::video::SColor loaded(pixels[i]);
		pixels[i] = irr::video::SColor(loaded.getRed(), loaded.getAlpha(), loaded.getBlue(), loaded.getGreen()).color;
	}
	picture->unlock();
}

irr::video::IImage* loadSgi(SPictureFile& file, const char*& refusal)
{
	u32 width = 0;
	u32 height = 0;
	if ((refusal = readSgi(file.bytes(), width, height)))
		return nullptr;
	irr::video::IImage* picture = loadThroughIrrlicht(file, "rgb", width, height, refusal);
	mendChannels(picture);
	return picture;
}

} // namespace

const SPictureFormat SGI_PICTURES = {isSgi, loadSgi};

} // namespace orv
