#include "scene/picture/PictureFormats.h"

#include <cstring>

#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/IrrlichtPictureLoader.h"
#include "scene/picture/PictureRefusals.h"

// PNGs are decoded by libpng through Irrlicht's loader, which checks the
// chunks itself; the client reads the size before it.
namespace orv {

namespace {

using irr::u64;
using irr::u8;

const u8 PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
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
	return loadThroughIrrlicht(file, "png", irr::u32(width), irr::u32(height), refusal);
}

} // namespace

const SPictureFormat PNG_PICTURES = {isPng, loadPng};

} // namespace orv
