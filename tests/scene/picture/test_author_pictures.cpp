// Pictures as painting programs save them, made byte by byte here: each loads
// through the client's picture path in the colours a viewer shows, and the
// kinds the client does not read say why.

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "PictureFields.h"

#include "scene/picture/PictureLoad.h"

namespace orv {
namespace {

using irr::u32;
using test::be16;
using test::be32;
using test::le16;
using test::le32;

std::string bytes(std::initializer_list<int> values)
{
	std::string made;
	for (int v : values)
		made += char(v);
	return made;
}

// A BMP with an info header of `infoBytes`; masks go inside a longer header
// and after a 40-byte one.
std::string bmp(u32 infoBytes, int width, int height, u32 bits, u32 compression, const std::string& palette,
	const std::string& pixels, const std::string& masks = "")
{
	std::string info = le32(infoBytes) + le32(u32(width)) + le32(u32(height)) + le16(1) + le16(bits) +
		le32(compression) + le32(u32(pixels.size())) + le32(2835) + le32(2835) + le32(u32(palette.size() / 4)) +
		le32(0) + masks;
	if (info.size() < infoBytes)
		info += std::string(infoBytes - info.size(), '\0');
	const u32 offset = 14 + u32(info.size() + palette.size());
	return "BM" + le32(offset + u32(pixels.size())) + le32(0) + le32(offset) + info + palette + pixels;
}

std::string tga(int type, int width, int height, int bits, int descriptor, const std::string& pixels,
	const std::string& map = "", int mapLength = 0, int mapBits = 0)
{
	return bytes({0, map.empty() ? 0 : 1, type}) + le16(0) + le16(u32(mapLength)) + char(mapBits) + le16(0) + le16(0) +
		le16(u32(width)) + le16(u32(height)) + char(bits) + char(descriptor) + map + pixels;
}

// Version 5, run-length coded, 8 bits a plane.
std::string pcx(int width, int height, int planes, int lineBytes, const std::string& data, const std::string& palette)
{
	std::string header = bytes({0x0A, 5, 1, 8}) + le16(0) + le16(0) + le16(u32(width - 1)) + le16(u32(height - 1)) +
		le16(72) + le16(72) + std::string(48, '\0') + char(0) + char(planes) + le16(u32(lineBytes)) + le16(1);
	header += std::string(128 - header.size(), '\0');
	return header + data + (palette.empty() ? "" : "\x0C" + palette + std::string(768 - palette.size(), '\0'));
}

// Rows bottom first, every row of the first channel, then of the next. Run-
// length coded rows are one literal packet each.
std::string sgi(int width, int height, int channels, bool runs, const std::vector<std::string>& rows)
{
	std::string header = be16(474) + char(runs ? 1 : 0) + char(1) + be16(channels == 1 ? 2 : 3) + be16(u32(width)) +
		be16(u32(height)) + be16(u32(channels)) + be32(0) + be32(255);
	header += std::string(512 - header.size(), '\0');
	if (!runs)
	{
		std::string data;
		for (const std::string& row : rows)
			data += row;
		return header + data;
	}
	std::string starts, lengths, data;
	u32 at = 512 + 8 * u32(rows.size());
	for (const std::string& row : rows)
	{
		const std::string packed = char(0x80 | row.size()) + row + '\0';
		starts += be32(at);
		lengths += be32(u32(packed.size()));
		data += packed;
		at += u32(packed.size());
	}
	return header + starts + lengths + data;
}

const std::string BMP_PALETTE = bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0x56, 0x34, 0x12, 0});

class AuthorPictures : public ::testing::Test
{
protected:
	void SetUp() override
	{
		device = irr::createDevice(irr::video::EDT_NULL);
		ASSERT_NE(device, nullptr);
		device->getLogger()->setLogLevel(irr::ELL_NONE);
	}
	void TearDown() override { device->drop(); }

	irr::video::IImage* load(const char* name, const std::string& data, const char*& refusal)
	{
		irr::io::IReadFile* file = device->getFileSystem()->createMemoryReadFile(
			const_cast<char*>(data.data()), irr::s32(data.size()), name, false);
		irr::video::IImage* picture = loadPicture(device, file, refusal);
		file->drop();
		return picture;
	}

	irr::IrrlichtDevice* device = nullptr;
};

TEST_F(AuthorPictures, LoadInTheColoursAViewerShows)
{
	const u32 R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, K = 0xFF000000, C = 0xFF123456;
	struct Case
	{
		const char* name;
		std::string data;
		u32 width;
		std::vector<u32> pixels; // top row first
	} cases[] = {
		{"v5-header-8-bits.bmp", bmp(124, 3, 2, 8, 0, BMP_PALETTE, bytes({3, 3, 0, 0, 0, 1, 2, 0})), 3,
			{R, G, B, C, C, R}},
		{"v4-header-4-bits.bmp", bmp(108, 3, 2, 4, 0, BMP_PALETTE, bytes({0x33, 0x00, 0, 0, 0x01, 0x20, 0, 0})), 3,
			{R, G, B, C, C, R}},
		{"white-then-black.bmp",
			bmp(40, 10, 2, 1, 0, bytes({255, 255, 255, 0, 0, 0, 0, 0}), bytes({0, 0, 0, 0, 0x80, 0xC0, 0, 0})), 10,
			{K, W, W, W, W, W, W, W, K, K, W, W, W, W, W, W, W, W, W, W}},
		{"unused-fourth-byte.bmp",
			bmp(40, 2, 2, 32, 0, "", bytes({3, 2, 1, 0, 6, 5, 4, 0, 0, 0, 255, 0, 255, 0, 0, 0})), 2,
			{R, B, 0xFF010203, 0xFF040506}},
		{"sixteen-bits.bmp",
			bmp(40, 3, 2, 16, 0, "",
				bytes({0xFF, 0x7F, 0, 0, 0x04, 0x41, 0, 0, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0, 0, 0})),
			3, {R, G, B, W, K, 0xFF844221}},
		{"runs.bmp",
			bmp(40, 5, 2, 8, 1, BMP_PALETTE, bytes({0, 3, 0, 1, 2, 0, 2, 3, 3, 0, 0, 0, 4, 1, 1, 0, 0, 0, 0, 1})), 5,
			{G, G, G, G, R, R, G, B, C, C}},
		{"top-down.bmp", bmp(40, 2, -2, 24, 0, "", bytes({0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0})),
			2, {R, G, B, W}},
		{"bitfields-16-bits.bmp",
			bmp(40, 2, 1, 16, 3, "", bytes({0x00, 0xF8, 0x10, 0x04}), le32(0xF800) + le32(0x07E0) + le32(0x001F)), 2,
			{R, 0xFF008284}},
		{"bitfields-32-bits.bmp",
			bmp(124, 2, 1, 32, 3, "", bytes({0x30, 0x20, 0x10, 0x80, 0, 0, 255, 255}),
				le32(0xFF0000) + le32(0xFF00) + le32(0xFF) + le32(0xFF000000)),
			2, {0x80102030, R}},
		{"colour-map-32-bits.tga",
			tga(1, 2, 1, 8, 0x28, bytes({1, 0}), bytes({0, 0, 255, 0x80, 0x30, 0x20, 0x10, 255}), 2, 32), 2,
			{0xFF102030, 0x80FF0000}},
		{"top-right.tga", tga(2, 2, 2, 24, 0x20 | 0x10, bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255})), 2,
			{G, R, W, B}},
		{"bottom-right-runs.tga", tga(10, 2, 2, 24, 0x10, bytes({0x81, 0, 0, 255, 0x01, 0, 255, 0, 255, 0, 0})), 2,
			{B, G, R, R}},
		{"sixteen-bits-no-alpha.tga", tga(2, 2, 1, 16, 0x20, bytes({0x00, 0x7C, 0x04, 0x41})), 2, {R, 0xFF844221}},
		// Irrlicht keeps five bits of a palette colour: these need no more.
		{"palette.pcx",
			pcx(3, 2, 1, 4, bytes({0, 1, 2, 0, 0xC3, 3, 0}),
				bytes({255, 0, 0, 0, 255, 0, 0, 0, 255, 0x84, 0x42, 0x21})),
			3, {R, G, B, 0xFF844221, 0xFF844221, 0xFF844221}},
		{"true-colour.pcx", pcx(3, 1, 3, 4, bytes({0xC1, 255, 0, 0, 0, 0, 0xC1, 255, 0, 0, 0, 0, 0xC1, 255, 0}), ""), 3,
			{R, G, B}},
		{"runs.sgi",
			sgi(2, 2, 3, true,
				{bytes({0, 0x10}), bytes({255, 0}), bytes({0, 0x20}), bytes({0, 255}), bytes({255, 0x30}),
					bytes({0, 0})}),
			2, {R, G, B, 0xFF102030}},
		{"alpha.sgi", sgi(2, 1, 4, false, {bytes({255, 0x10}), bytes({0, 0x20}), bytes({0, 0x30}), bytes({128, 255})}),
			2, {0x80FF0000, 0xFF102030}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const char* refusal = nullptr;
		irr::video::IImage* picture = load(c.name, c.data, refusal);
		ASSERT_NE(picture, nullptr) << (refusal ? refusal : "the loader failed");
		const u32 height = u32(c.pixels.size()) / c.width;
		EXPECT_EQ(picture->getDimension(), irr::core::dimension2du(c.width, height));
		for (u32 i = 0; i < c.pixels.size() && picture->getDimension().Width == c.width; ++i)
			EXPECT_EQ(picture->getPixel(i % c.width, i / c.width).color, c.pixels[i])
				<< std::hex << "at " << i % c.width << ", " << i / c.width;
		picture->drop();
	}
}

TEST_F(AuthorPictures, KindsNotReadSayWhy)
{
	struct Case
	{
		const char* name;
		std::string data;
		const char* refusal;
	} cases[] = {
		{"runs-mapped.tga", tga(9, 2, 1, 8, 0x20, bytes({0x81, 0}), bytes({0, 0, 0}), 1, 24),
			"a kind of TGA the client does not read"},
		{"runs-grey.tga", tga(11, 2, 1, 8, 0x20, bytes({0x81, 0})), "a kind of TGA the client does not read"},
		{"odd-masks.bmp", bmp(40, 1, 1, 16, 3, "", bytes({0, 0, 0, 0}), le32(0x0F00) + le32(0x00F0) + le32(0x000F)),
			"a BMP whose bitfields are not the usual masks"},
		{"bitfields-24-bits.bmp",
			bmp(40, 1, 1, 24, 3, "", bytes({0, 0, 0, 0}), le32(0xFF0000) + le32(0xFF00) + le32(0xFF)),
			"a BMP whose bitfields are not the usual masks"},
		{"runs-4-bits.bmp", bmp(40, 2, 1, 4, 2, BMP_PALETTE, bytes({2, 0x01, 0, 1})), "a compressed BMP"},
		// Streams that leave pixels unwritten or write past their row's padding.
		{"runs-delta.bmp", bmp(40, 2, 2, 8, 1, BMP_PALETTE, bytes({2, 0, 0, 2, 0, 1, 0, 1})),
			"its pixel data is short"},
		{"runs-line-ends-early.bmp", bmp(40, 2, 2, 8, 1, BMP_PALETTE, bytes({1, 0, 0, 0, 2, 0, 0, 1})),
			"its pixel data is short"},
		{"runs-picture-ends-early.bmp", bmp(40, 2, 2, 8, 1, BMP_PALETTE, bytes({2, 0, 0, 0, 0, 1})),
			"its pixel data is short"},
		{"runs-past-padding.bmp", bmp(40, 2, 1, 8, 1, BMP_PALETTE, bytes({5, 0, 0, 1})), "its pixel data is short"},
		{"runs-without-end.bmp", bmp(40, 2, 1, 8, 1, BMP_PALETTE, bytes({2, 0})), "its pixel data is short"},
		{"runs-index-past-palette.bmp", bmp(40, 2, 1, 8, 1, BMP_PALETTE, bytes({2, 9, 0, 1})),
			"its pixels name colours its palette lacks"},
		{"v5-index-past-palette.bmp", bmp(124, 2, 1, 8, 0, BMP_PALETTE, bytes({0, 4, 0, 0})),
			"its pixels name colours its palette lacks"},
		{"huge-top-down.bmp", bmp(40, 2, -100000, 24, 0, "", std::string(16, '\0')),
			"its size is 0 or above the limit"},
		{"pcx-run-across-lines.pcx", pcx(2, 2, 3, 2, std::string("\xC4\x01\xC4\x01\xC4\x01", 6), ""),
			"its pixel data is short"},
		{"pcx-short.pcx", pcx(2, 2, 3, 2, std::string("\xC2\x01", 2), ""), "its pixel data is short"},
		{"pcx-without-palette.pcx", pcx(2, 1, 1, 2, bytes({1, 1}), "").substr(0, 130),
			"its header is short or inconsistent"},
		{"sgi-row-short.sgi", sgi(3, 1, 3, true, {bytes({1, 2}), bytes({1, 2}), bytes({1, 2})}),
			"its pixel data is short"},
		{"sgi-two-bytes.sgi", sgi(1, 1, 3, false, {bytes({1}), bytes({1}), bytes({1})}).replace(3, 1, 1, '\x02'),
			"a kind of SGI picture the client does not read"},
		{"grey.sgi", sgi(2, 1, 1, false, {bytes({0x40, 0xC0})}), "a kind of SGI picture the client does not read"},
		{"four-planes.pcx", pcx(1, 1, 4, 2, bytes({1, 1, 1, 1, 1, 1, 1, 1}), ""),
			"a kind of PCX the client does not read"},
		{"sgi-cut.sgi", sgi(4, 4, 3, false, {}), "its pixel data is short"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const char* refusal = nullptr;
		irr::video::IImage* picture = load(c.name, c.data, refusal);
		EXPECT_EQ(picture, nullptr);
		if (picture)
			picture->drop();
		EXPECT_STREQ(refusal, c.refusal);
	}
}

} // namespace
} // namespace orv
