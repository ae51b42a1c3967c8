#pragma once

#include <irrTypes.h>

#include "scene/picture/PictureBytes.h"

// Where a BMP's and a TGA's pixels lie and how they are coded, read once for
// the header guard and for the conversion of what Irrlicht would draw wrong.
namespace orv {

//! The reasons a picture is refused, for the log.
namespace refusals {
const char* const NOT_A_PICTURE = "not a picture format the client reads";
const char* const BAD_HEADER = "its header is short or inconsistent";
const char* const BAD_SIZE = "its size is 0 or above the limit";
const char* const SHORT_DATA = "its pixel data is short";
const char* const BAD_PALETTE = "its pixels name colours its palette lacks";
} // namespace refusals

//! A BMP as its headers describe it.
struct SBmpLayout
{
	irr::u32 InfoBytes = 0;
	irr::u32 Width = 0;
	irr::u32 Height = 0;
	bool TopDown = false;
	irr::u32 Bits = 0;
	irr::u32 Compression = 0;
	//! Whether the header gave the masks; they are then the usual ones.
	bool Bitfields = false;
	//! The pixels' masks, red, green, blue and alpha, at 16 and 32 bits.
	irr::u32 Masks[4] = {0, 0, 0, 0};
	irr::u64 PaletteStart = 0;
	//! Palette entries both declared and inside the file.
	irr::u64 PaletteEntries = 0;
	irr::u64 PixelStart = 0;
	//! Bytes from one row to the next, padding included.
	irr::u64 LineBytes = 0;
};

const irr::u32 BMP_RGB = 0;
const irr::u32 BMP_RLE8 = 1;

//! Reads and checks a BMP's headers: null, or the reason it is refused.
const char* readBmpLayout(const CPictureBytes& in, SBmpLayout& layout);

//! The palette index of pixel x of the row at `row`: a byte at 8 bits, the
//! high nibble first at 4, the high bit first at 1.
inline irr::u8 readBmpIndex(const CPictureBytes& in, irr::u64 row, irr::u64 x, irr::u32 bits)
{
	if (bits == 8)
		return in.at(row + x);
	if (bits == 4)
		return irr::u8(x % 2 == 0 ? in.at(row + x / 2) >> 4 : in.at(row + x / 2) & 0x0F);
	return irr::u8(in.at(row + x / 8) >> (7 - x % 8) & 1);
}

//! Whether a 16- or 32-bit BMP's alpha is read: it has an alpha mask and
//! some pixel has alpha. A picture that is all transparent was written by a
//! program that leaves the byte unused.
bool bmpHasAlpha(const CPictureBytes& in, const SBmpLayout& layout);

//! Plays a BMP's 8-bit run-length stream through. Null when it writes every
//! pixel of the picture exactly once, inside its rows, with indices inside
//! the palette, and ends inside the file; else the reason it is refused. The
//! indices land in `indices` (width x height, file row order) unless it is
//! null.
const char* playBmpRuns(const CPictureBytes& in, const SBmpLayout& layout, irr::u8* indices);

//! A TGA as its header describes it.
struct STgaLayout
{
	irr::u8 Type = 0;
	irr::u8 Bits = 0;
	irr::u8 Descriptor = 0;
	irr::u32 Width = 0;
	irr::u32 Height = 0;
	irr::u64 MapStart = 0;
	irr::u32 MapLength = 0;
	irr::u8 MapEntryBits = 0;
	irr::u64 PixelStart = 0;

	irr::u64 pixelBytes() const { return Bits / 8; }
	irr::u64 pictureBytes() const { return irr::u64(Width) * Height * pixelBytes(); }
};

//! Reads and checks a TGA's header and colour map: null, or the reason it is
//! refused.
const char* readTgaLayout(const CPictureBytes& in, STgaLayout& layout);

//! Unpacks a run-length coded TGA's packets. True when they fill the picture
//! exactly, each packet inside it, and end inside the file. The pixel bytes
//! land in `pixels` (pictureBytes() of them) unless it is null.
bool playTgaRuns(const CPictureBytes& in, const STgaLayout& layout, irr::u8* pixels);

} // namespace orv
