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
using test::bmp;
using test::bytes;
using test::le16;
using test::le32;
using test::pcx;
using test::sgi;
using test::tga;

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

// The header's counts of pixel bytes and of colours are not what the decoder
// reads by: the rows and the palette the file holds decide.
TEST_F(AuthorPictures, BmpCountsThatDisagreeWithTheFileAreLeftAside)
{
	const u32 G = 0xFF00FF00, B = 0xFF0000FF, C = 0xFF123456;
	const auto field = [](std::string data, size_t offset, u32 value) { return data.replace(offset, 4, le32(value)); };
	const std::string plain = bmp(40, 2, 1, 24, 0, "", bytes({255, 0, 0, 0, 255, 0, 0, 0}));
	const std::string mapped = bmp(124, 2, 1, 8, 0, BMP_PALETTE, bytes({3, 1, 0, 0}));
	const size_t IMAGE_BYTES = 34, COLOURS_USED = 46;
	struct Case
	{
		const char* name;
		std::string data;
		std::vector<u32> pixels; // empty: refused for its palette
	} cases[] = {
		{"image bytes past the file", field(plain, IMAGE_BYTES, 0xFFFFFFF0u), {B, G}},
		{"image bytes short of the rows", field(plain, IMAGE_BYTES, 4), {B, G}},
		{"fewer colours used than the palette holds", field(mapped, COLOURS_USED, 2), {C, G}},
		// One bit a pixel names colours 0 and 1: no palette, no colours.
		{"1 bit without a palette", bmp(40, 2, 1, 1, 0, "", bytes({0x40, 0, 0, 0})), {}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const char* refusal = nullptr;
		irr::video::IImage* picture = load("a.bmp", c.data, refusal);
		if (c.pixels.empty())
		{
			EXPECT_EQ(picture, nullptr);
			EXPECT_STREQ(refusal, "its pixels name colours its palette lacks");
		}
		if (!picture)
			continue;
		ASSERT_FALSE(c.pixels.empty());
		ASSERT_EQ(picture->getDimension(), irr::core::dimension2du(u32(c.pixels.size()), 1));
		for (u32 x = 0; x < c.pixels.size(); ++x)
			EXPECT_EQ(picture->getPixel(x, 0).color, c.pixels[x]) << std::hex << "at " << x;
		picture->drop();
	}
}

} // namespace
} // namespace orv
