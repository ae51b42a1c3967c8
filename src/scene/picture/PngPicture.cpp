#include "scene/picture/PictureFormats.h"

#include <cstring>

#include "base/ByteOrder.h"
#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/IrrlichtPictureLoader.h"
#include "scene/picture/PictureRefusals.h"
#include "scene/picture/PngPicture.h"

// PNGs are decoded by libpng through Irrlicht's loader, which checks the
// chunks' contents itself; the client reads the size before it, checks that
// every chunk lies inside the file, and keeps the text from it.
namespace orv {

namespace {

using irr::u64;
using irr::u8;

const u8 PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
const u64 CHUNK_FRAME_BYTES = 12; // length, type and CRC

bool isText(const u8* type)
{
	return std::memcmp(type, "tEXt", 4) == 0 || std::memcmp(type, "zTXt", 4) == 0 || std::memcmp(type, "iTXt", 4) == 0;
}

bool isPng(const SPictureFile& file)
{
	const CPictureBytes in = file.bytes();
	return in.has(0, 8) && std::memcmp(in.from(0), PNG_SIGNATURE, 8) == 0;
}

irr::video::IImage* loadPng(SPictureFile& file, const char*& refusal)
{
	const CPictureBytes in = file.bytes();
	// The signature, then the IHDR chunk, which must come first: its length
	// (13), its type, the width and the height.
	if (!in.has(0, 33) || in.be32(8) != 13 || std::memcmp(in.from(12), "IHDR", 4) != 0)
	{
		refusal = refusals::BAD_HEADER;
		return nullptr;
	}
	const u64 width = in.be32(16);
	const u64 height = in.be32(20);
	if (!isImageSizeAllowed(width, height))
	{
		refusal = refusals::BAD_SIZE;
		return nullptr;
	}
	if ((refusal = dropPngText(file.Bytes)))
		return nullptr;
	return loadThroughIrrlicht(file, "png", irr::u32(width), irr::u32(height), refusal);
}

} // namespace

const char* dropPngText(std::vector<u8>& bytes)
{
	if (bytes.size() < sizeof PNG_SIGNATURE)
		return nullptr;
	u64 read = sizeof PNG_SIGNATURE;
	u64 write = read;
	for (bool end = false; !end;)
	{
		if (bytes.size() - read < CHUNK_FRAME_BYTES)
			return refusals::SHORT_DATA;
		const u64 chunk = CHUNK_FRAME_BYTES + readBE32(&bytes[read]);
		if (chunk > bytes.size() - read)
			return refusals::SHORT_DATA;
		end = std::memcmp(&bytes[read + 4], "IEND", 4) == 0;
		if (!isText(&bytes[read + 4]))
		{
			if (write != read)
				std::memmove(&bytes[write], &bytes[read], chunk);
			write += chunk;
		}
		read += chunk;
	}
	// libpng reads nothing after IEND.
	if (write != read)
	{
		std::memmove(&bytes[write], &bytes[read], bytes.size() - read);
		bytes.resize(write + (bytes.size() - read));
	}
	return nullptr;
}

const SPictureFormat PNG_PICTURES = {isPng, loadPng};

} // namespace orv
