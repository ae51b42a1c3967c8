#include "scene/picture/PictureFormats.h"

#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/IrrlichtPictureLoader.h"
#include "scene/picture/PictureRefusals.h"

// JPEGs are decoded by libjpeg through Irrlicht's loader, which hands it the
// file once, gives it nothing when it asks for more and skips by
// subtracting: a segment or a scan that ends past the file sends libjpeg past
// its buffer. So every segment and every scan must end inside the file, up to
// the end-of-image marker, before the loader sees it.
namespace orv {

namespace {

using irr::u32;
using irr::u64;
using irr::u8;

//! Scans a JPEG may have. libjpeg visits every block of a scan's components
//! in each scan, however few bytes the scan takes: a scan of a few bytes costs
//! as much as decoding the whole picture once. Writers' fullest progressions
//! take 10 scans for a colour picture and 24 for CMYK.
const u32 JPEG_MAX_SCANS = 100;

const char* const TOO_MANY_SCANS = "a JPEG of more than 100 scans";

bool isFrameMarker(u8 marker)
{
	return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool isRestartMarker(u8 marker)
{
	return marker >= 0xD0 && marker <= 0xD7;
}

bool isJpeg(const SPictureFile& file)
{
	const CPictureBytes in = file.bytes();
	return in.has(0, 3) && in.at(0) == 0xFF && in.at(1) == 0xD8 && in.at(2) == 0xFF;
}

// The segments up to the end of the image; null, or the reason it is refused.
const char* readJpegFrame(const CPictureBytes& in, u32& width, u32& height)
{
	u64 pos = 2;
	bool frame = false;
	u32 scans = 0;
	u32 components = 0;
	for (;;)
	{
		if (!in.has(pos, 2) || in.at(pos) != 0xFF)
			return refusals::BAD_HEADER;
		while (in.has(pos + 1, 1) && in.at(pos + 1) == 0xFF)
			++pos; // fill bytes before a marker
		if (!in.has(pos, 2))
			return refusals::BAD_HEADER;
		const u8 marker = in.at(pos + 1);
		pos += 2;
		if (marker == 0xD9)
			break;
		if (marker == 0x00)
			return refusals::BAD_HEADER;
		if (marker == 0x01 || isRestartMarker(marker))
			continue; // no segment follows
		if (!in.has(pos, 2))
			return refusals::BAD_HEADER;
		const u32 length = in.be16(pos);
		if (length < 2 || !in.has(pos, length))
			return refusals::BAD_HEADER;
		if (isFrameMarker(marker))
		{
			if (frame || length < 8)
				return refusals::BAD_HEADER;
			height = in.be16(pos + 3);
			width = in.be16(pos + 5);
			components = in.at(pos + 7);
			if (length != 8 + 3 * components)
				return refusals::BAD_HEADER;
			frame = true;
		}
		pos += length;
		if (marker == 0xDA)
		{
			if (!frame)
				return refusals::BAD_HEADER;
			if (++scans > JPEG_MAX_SCANS)
				return TOO_MANY_SCANS;
			// The coded data runs to the next marker: 0xFF followed by neither
			// a stuffed 0 nor a restart marker.
			for (;;)
			{
				if (!in.has(pos, 2))
					return refusals::SHORT_DATA;
				const u8 next = in.at(pos + 1);
				if (in.at(pos) == 0xFF && next != 0x00 && !isRestartMarker(next))
					break;
				++pos;
			}
		}
	}
	if (!frame || scans == 0)
		return refusals::BAD_HEADER;
	// Irrlicht keeps the bytes of a decoded row in 16 bits: three a pixel,
	// four for CMYK.
	const u64 rowBytes = u64(width) * (components == 4 ? 4 : 3);
	if (rowBytes > 0xFFFF || !isImageSizeAllowed(width, height))
		return refusals::BAD_SIZE;
	return nullptr;
}

irr::video::IImage* loadJpeg(SPictureFile& file, const char*& refusal)
{
	u32 width = 0;
	u32 height = 0;
	if ((refusal = readJpegFrame(file.bytes(), width, height)))
		return nullptr;
	return loadThroughIrrlicht(file, "jpg", width, height, refusal);
}

} // namespace

const SPictureFormat JPEG_PICTURES = {isJpeg, loadJpeg};

} // namespace orv
