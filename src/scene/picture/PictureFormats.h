#pragma once

#include <vector>

#include <irrTypes.h>

#include "scene/picture/PictureBytes.h"

namespace irr {
class IrrlichtDevice;
namespace video {
class IImage;
} // namespace video
} // namespace irr

// One reader per picture format. Each reads its file's headers once, checks
// them against the bytes, and decodes from what it read: BMP and TGA by the
// client's own decoders, PNG, JPEG, PCX and SGI by Irrlicht's loader of that
// format alone, which sees the file only once the check holds.
namespace orv {

//! A picture file, read whole, as a reader gets it.
struct SPictureFile
{
	irr::IrrlichtDevice* Device = nullptr;
	//! A reader may rewrite them: the PNG reader drops the text it never shows.
	std::vector<irr::u8> Bytes;
	//! The file's name ends in ".tga"; TGA files have no signature.
	bool NamedTga = false;

	CPictureBytes bytes() const { return CPictureBytes(Bytes.data(), Bytes.size()); }
};

//! How the client reads one format.
struct SPictureFormat
{
	//! Whether the file is of this format: its first bytes, or for TGA its
	//! name or its footer.
	bool (*isFormatOf)(const SPictureFile& file);
	//! The picture as a new image the caller drops. Null with a short reason
	//! for the log in `refusal` when the file is refused; null alone when the
	//! decoder fails on its own.
	irr::video::IImage* (*load)(SPictureFile& file, const char*& refusal);
};

extern const SPictureFormat PNG_PICTURES;
extern const SPictureFormat JPEG_PICTURES;
extern const SPictureFormat BMP_PICTURES;
extern const SPictureFormat PCX_PICTURES;
extern const SPictureFormat SGI_PICTURES;
extern const SPictureFormat TGA_PICTURES;

} // namespace orv
