#pragma once

#include <cstddef>

#include <irrTypes.h>

// Every picture file is read here, from its bytes, before any Irrlicht
// loader sees it. Irrlicht 1.8's loaders trust their headers: sizes that wrap
// its 32- and 16-bit arithmetic, data offsets before the header's end, run
// lengths past the picture, palette indices past the palette, and JPEG
// streams that end early all make them read or write outside their buffers.
// Only the formats checked here are handed on, each to its own loader; the
// BMPs and TGAs that loader would draw wrong are marked for the client's own
// conversion, which reads them through the same checked layout.
namespace orv {

//! The picture formats the client reads.
enum EPictureFormat
{
	EPF_NONE = 0,
	EPF_PNG,
	EPF_JPEG,
	EPF_BMP,
	EPF_TGA,
	EPF_PCX,
	EPF_SGI
};

//! What the guard read from a picture it accepts.
struct SPictureHeader
{
	EPictureFormat Format = EPF_NONE;
	irr::u32 Width = 0;
	irr::u32 Height = 0;
	//! A BMP or TGA that Irrlicht's loader would draw wrong: the client
	//! converts it itself.
	bool Convert = false;
};

//! A picture file is read whole before it is checked; no picture the size
//! guard allows needs more than its pixels and a palette.
const irr::u64 PICTURE_MAX_FILE_BYTES = (irr::u64(256) << 20) + (irr::u64(1) << 20);

//! Reads the format and the pixel size from the bytes and checks that the
//! format's loader stays inside the file and inside the picture it makes.
/** PNG, JPEG, BMP, PCX and SGI are known by their first bytes; TGA has no
    signature and is taken as one only when the file is named ".tga" or ends
    with the TGA 2.0 footer. False, with a short reason for the log, when
    refused. */
bool checkPictureBytes(
	const irr::u8* bytes, std::size_t size, bool namedTga, SPictureHeader& header, const char*& refusal);

//! The file extension the format's Irrlicht loader answers to: "png", "jpg",
//! "bmp", "tga", "pcx" or "rgb"; empty for EPF_NONE.
const char* getPictureExtension(EPictureFormat format);

} // namespace orv
