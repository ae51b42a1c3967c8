#include "scene/picture/PictureFormats.h"

#include <cstring>

#include <IImage.h>
#include <IrrlichtDevice.h>

#include "base/ByteOrder.h"
#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/PictureRefusals.h"
#include "scene/picture/PictureTarget.h"

// TGAs are decoded here: Irrlicht's loader scrambles 32-bit colour-map
// entries, ignores a right-hand origin, takes the top bit of 16 bits for alpha
// even when the attribute bits say there is none, and its run-length decoder
// writes every packet whole, also past the picture's end.
namespace orv {

namespace {

using irr::u32;
using irr::u64;
using irr::u8;
using irr::video::SColor;

const char* const TGA_KIND = "a kind of TGA the client does not read";

// A TGA as its header describes it.
struct STgaLayout
{
	u8 Type = 0;
	u8 Bits = 0;
	u8 Descriptor = 0;
	u32 Width = 0;
	u32 Height = 0;
	u64 MapStart = 0;
	u32 MapLength = 0;
	u8 MapEntryBits = 0;
	u64 PixelStart = 0;

	u64 pixelBytes() const { return Bits / 8; }
	u64 pixelCount() const { return u64(Width) * Height; }
};

// The header and the colour map, and for uncompressed pixels that they all
// lie inside the file; run-length packets are checked as they are decoded.
const char* readTgaLayout(const CPictureBytes& in, STgaLayout& layout)
{
	if (!in.has(0, 18))
		return refusals::BAD_HEADER;
	const u8 idBytes = in.at(0);
	const u8 mapType = in.at(1);
	layout.Type = in.at(2);
	layout.MapLength = in.le16(5);
	layout.MapEntryBits = in.at(7);
	layout.Width = in.le16(12);
	layout.Height = in.le16(14);
	layout.Bits = in.at(16);
	layout.Descriptor = in.at(17);

	if (layout.Type == 9 || layout.Type == 11)
		return TGA_KIND;
	// Colour-mapped (1) and grey (3) at 8 bits, true colour plain (2) or
	// run-length coded (10) at 16, 24 or 32 bits.
	const u8 bits = layout.Bits;
	const bool trueColour = bits == 16 || bits == 24 || bits == 32;
	const u8 entryBits = layout.MapEntryBits;
	bool readable = false;
	if (layout.Type == 1)
		readable = bits == 8 && mapType == 1 && layout.MapLength > 0 &&
			(entryBits == 16 || entryBits == 24 || entryBits == 32);
	else if (layout.Type == 3)
		readable = bits == 8;
	else if (layout.Type == 2 || layout.Type == 10)
		readable = trueColour;
	if (mapType > 1 || !readable)
		return refusals::BAD_HEADER;
	if (!isImageSizeAllowed(layout.Width, layout.Height))
		return refusals::BAD_SIZE;

	const u64 mapBytes = mapType ? u64(entryBits / 8) * layout.MapLength : 0;
	if (!in.has(18, idBytes + mapBytes))
		return refusals::BAD_HEADER;
	layout.MapStart = 18 + idBytes;
	layout.PixelStart = layout.MapStart + mapBytes;
	if (layout.Type != 10 && !in.has(layout.PixelStart, layout.pixelCount() * layout.pixelBytes()))
		return refusals::SHORT_DATA;
	// A packet codes at most 128 pixels: a picture larger than the packets
	// could fill is refused before its memory is taken.
	const u64 packets = (in.size() - layout.PixelStart) / (1 + layout.pixelBytes());
	if (layout.Type == 10 && layout.pixelCount() > packets * 128)
		return refusals::SHORT_DATA;
	return nullptr;
}

// Writes the pixels in file order to where the origin puts them.
class CTgaWriter
{
public:
	CTgaWriter(const CPictureBytes& in, const STgaLayout& layout, CPictureTarget& target)
		: In(in)
		, Layout(layout)
		, Target(target)
		, Alpha((layout.Descriptor & 0x0F) != 0)
		, TopFirst((layout.Descriptor & 0x20) != 0)
		, RightFirst((layout.Descriptor & 0x10) != 0)
		, Red(0x7C00)
		, Green(0x03E0)
		, Blue(0x001F)
		, Alpha16(Alpha ? 0x8000 : 0)
	{
	}

	//! The colour of a stored pixel; false when it names an entry the
	//! colour map lacks.
	bool colour(const u8* stored, SColor& colour) const
	{
		if (Layout.Type == 1)
		{
			if (*stored >= Layout.MapLength)
				return false;
			colour = trueColour(In.from(Layout.MapStart + *stored * (Layout.MapEntryBits / 8)), Layout.MapEntryBits);
		}
		else if (Layout.Type == 3)
		{
			colour = SColor(255, *stored, *stored, *stored);
		}
		else
		{
			colour = trueColour(stored, Layout.Bits);
		}
		return true;
	}

	//! Pixel `index` in file order.
	void set(u64 index, SColor colour)
	{
		const u64 row = index / Layout.Width;
		const u64 column = index % Layout.Width;
		const u64 y = TopFirst ? row : Layout.Height - 1 - row;
		const u64 x = RightFirst ? Layout.Width - 1 - column : column;
		Target.set(x, y, colour);
	}

private:
	// A colour of 16, 24 or 32 bits, blue first; at 16 bits the top bit is
	// alpha only when the attribute bits say there is alpha.
	SColor trueColour(const u8* p, u32 bits) const
	{
		if (bits == 16)
		{
			const u32 value = readLE16(p);
			return SColor(Alpha16.widen(value), Red.widen(value), Green.widen(value), Blue.widen(value));
		}
		return SColor(bits == 32 ? p[3] : 255, p[2], p[1], p[0]);
	}

	const CPictureBytes& In;
	const STgaLayout& Layout;
	CPictureTarget& Target;
	const bool Alpha;
	const bool TopFirst;
	const bool RightFirst;
	const CPixelChannel Red, Green, Blue, Alpha16;
};

const char* decodePixels(const CPictureBytes& in, const STgaLayout& layout, CTgaWriter& writer)
{
	const u64 count = layout.pixelCount();
	SColor colour(0);
	for (u64 i = 0; i < count; ++i)
	{
		if (!writer.colour(in.from(layout.PixelStart + i * layout.pixelBytes()), colour))
			return refusals::BAD_PALETTE;
		writer.set(i, colour);
	}
	return nullptr;
}

// Accepted when the packets fill the picture exactly, each inside it, and
// end inside the file.
const char* decodeRuns(const CPictureBytes& in, const STgaLayout& layout, CTgaWriter& writer)
{
	const u64 pixelBytes = layout.pixelBytes();
	const u64 count = layout.pixelCount();
	u64 pos = layout.PixelStart;
	SColor colour(0);
	for (u64 written = 0; written < count;)
	{
		if (!in.has(pos, 1))
			return refusals::SHORT_DATA;
		const u8 packet = in.at(pos++);
		const bool run = packet >= 128;
		const u64 pixels = run ? packet - 127u : packet + 1u;
		if (!in.has(pos, run ? pixelBytes : pixels * pixelBytes) || pixels > count - written)
			return refusals::SHORT_DATA;
		for (u64 i = 0; i < pixels; ++i)
		{
			if ((i == 0 || !run) && !writer.colour(in.from(pos + (run ? 0 : i * pixelBytes)), colour))
				return refusals::BAD_PALETTE;
			writer.set(written + i, colour);
		}
		pos += run ? pixelBytes : pixels * pixelBytes;
		written += pixels;
	}
	return nullptr;
}

// The footer of a TGA 2.0 file, terminator included.
const char TGA_SIGNATURE[18] = "TRUEVISION-XFILE.";

bool isTga(const SPictureFile& file)
{
	const CPictureBytes in = file.bytes();
	return file.NamedTga || (in.size() >= 26 && std::memcmp(in.from(in.size() - 18), TGA_SIGNATURE, 18) == 0);
}

irr::video::IImage* loadTga(SPictureFile& file, const char*& refusal)
{
	const CPictureBytes in = file.bytes();
	STgaLayout layout;
	if ((refusal = readTgaLayout(in, layout)))
		return nullptr;
	if (!file.Device)
		return nullptr;
	CPictureTarget target(file.Device->getVideoDriver(), layout.Width, layout.Height);
	if (!target.ready())
		return nullptr;
	CTgaWriter writer(in, layout, target);
	refusal = layout.Type == 10 ? decodeRuns(in, layout, writer) : decodePixels(in, layout, writer);
	return refusal ? nullptr : target.release();
}

} // namespace

const SPictureFormat TGA_PICTURES = {isTga, loadTga};

} // namespace orv
