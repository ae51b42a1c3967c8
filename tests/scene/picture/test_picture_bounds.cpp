// Shapes of picture files whose cost grew faster than their bytes: each is
// refused or trimmed before a decoder sees it, and the same shapes within the
// bounds still load.

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "PictureFields.h"

#include "scene/picture/PictureLoad.h"
#include "scene/picture/PngPicture.h"

namespace orv {
namespace {

using irr::u32;
using test::be16;
using test::be32;
using test::bytes;
using test::le16;
using test::pcx;
using test::png;
using test::pngChunk;
using test::progressiveJpeg;

// A run-length SGI picture of three channels whose rows all start at the
// stretch after the tables and say it is `length` bytes long.
std::string sgiSharingOneStretch(u32 width, u32 height, u32 length, const std::string& stretch)
{
	const u32 rows = 3 * height;
	std::string header = be16(474) + char(1) + char(1) + be16(3) + be16(width) + be16(height) + be16(3) + be32(0) +
		be32(255);
	header += std::string(512 - header.size(), '\0');
	std::string starts, lengths;
	for (u32 i = 0; i < rows; ++i)
	{
		starts += be32(512 + 8 * rows);
		lengths += be32(length);
	}
	return header + starts + lengths + stretch +
		std::string(length > stretch.size() ? length - stretch.size() : 0, '\0');
}

// One plane of 8 bits for each of red, green and blue, one run a plane.
std::string threePlanePcx(u32 width, u32 lineBytes)
{
	std::string data;
	for (int colour : {0x10, 0x20, 0x30})
		data += char(0xC0 | lineBytes) + std::string(1, char(colour));
	return pcx(int(width), 1, 3, int(lineBytes), data, "");
}

class PictureBounds : public ::testing::Test
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

TEST_F(PictureBounds, ShapesPastTheBoundsAreRefusedBeforeTheirDecoder)
{
	struct Case
	{
		const char* name;
		std::string data;
		const char* refusal;
	} cases[] = {
		// libjpeg visits every block in every scan: each of a few bytes.
		{"scans.jpg", progressiveJpeg(64, 101), "a JPEG of more than 100 scans"},
		// Irrlicht decodes the scan lines whole: 65534 bytes a line for one
		// pixel made it hold 200 KB a row.
		{"wide-lines.pcx", threePlanePcx(1, 60), "its header is short or inconsistent"},
		{"lines-past-four.pcx", threePlanePcx(5, 9), "its header is short or inconsistent"},
		// Irrlicht reads each row whole into a buffer its width sizes: a row
		// that says it is longer wrote past it.
		{"long-rows.sgi", sgiSharingOneStretch(1, 4, 300, bytes({0x81, 0x40, 0})),
			"its header is short or inconsistent"},
		{"rows-one-byte-long.sgi", sgiSharingOneStretch(2, 2, 6, bytes({0x82, 0x40, 0x40, 0})),
			"its header is short or inconsistent"},
		// A picture larger than its run-length packets could fill takes no
		// memory: 8192 x 8192 pixels from a few packets.
		{"runs-of-a-larger-picture.tga", test::tga(10, 8192, 8192, 32, 0x28, std::string(50, '\xFF')),
			"its pixel data is short"},
		{"runs-of-a-larger-picture.bmp",
			test::bmp(40, 8192, 8192, 8, 1, std::string(1024, '\0'), std::string(50, '\xFF')),
			"its pixel data is short"},
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

TEST_F(PictureBounds, ShapesAtTheBoundsLoad)
{
	struct Case
	{
		const char* name;
		std::string data;
		u32 width, height;
		irr::u32 colour; // of the last pixel
	} cases[] = {
		{"scans.jpg", progressiveJpeg(64, 100), 64, 64, 0xFF808080},
		{"lines-to-four.pcx", threePlanePcx(5, 8), 5, 1, 0xFF102030},
		// Every row ends in a packet a pixel and the closing one.
		{"rows-of-a-packet-a-pixel.sgi", sgiSharingOneStretch(2, 2, 5, bytes({0x01, 0x40, 0x01, 0x40, 0})), 2, 2,
			0xFF404040},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const char* refusal = nullptr;
		irr::video::IImage* picture = load(c.name, c.data, refusal);
		ASSERT_NE(picture, nullptr) << (refusal ? refusal : "the decoder failed");
		EXPECT_EQ(picture->getDimension(), irr::core::dimension2du(c.width, c.height));
		EXPECT_EQ(picture->getPixel(c.width - 1, c.height - 1).color, c.colour) << std::hex;
		picture->drop();
	}
}

TEST(PngText, TextChunksAreTakenOutAndEveryOtherChunkKept)
{
	const std::string pixels = bytes({1, 2, 3, 4, 5, 6, 7, 8});
	const std::string gamma = pngChunk("gAMA", be32(45455));
	const std::string text = pngChunk("tEXt", std::string("Title\0Hero", 10));
	const std::string compressed = pngChunk("zTXt", std::string("Comment\0\0", 9) + test::deflated("long text"));
	const std::string international = pngChunk("iTXt", std::string("Author\0\0\0\0\0Orv", 15));
	// A chunk that says it runs past the file's end.
	const std::string cut = be32(1000) + "iTXt" + "short";
	const std::string signature("\x89PNG\r\n\x1a\n", 8);
	const char* const SHORT = "its pixel data is short";
	struct Case
	{
		const char* name;
		std::string file;
		std::string kept;
		const char* refusal;
	} cases[] = {
		{"text around the pixels", png(2, pixels, gamma + text + compressed, international), png(2, pixels, gamma),
			nullptr},
		{"no text", png(2, pixels, gamma), png(2, pixels, gamma), nullptr},
		{"what follows the end", png(2, pixels, text) + cut + text, png(2, pixels) + cut + text, nullptr},
		// libpng took 1.8 GB for the length of a chunk cut short.
		{"a chunk cut short", signature + pngChunk("IHDR", std::string(13, '\1')) + text + cut, "", SHORT},
		{"no end", png(2, pixels).substr(0, png(2, pixels).size() - 12), "", SHORT},
		{"the signature alone", signature, "", SHORT},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		std::vector<irr::u8> bytes(c.file.begin(), c.file.end());
		EXPECT_STREQ(dropPngText(bytes), c.refusal);
		if (!c.refusal)
		{
			EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.kept);
		}
	}
}

TEST_F(PictureBounds, PngWithTextLoadsItsPixels)
{
	const std::string text = pngChunk(
		"zTXt", std::string("Comment\0\0", 9) + test::deflated(std::string(1 << 20, ' ')));
	const std::string data = png(2, bytes({255, 0, 0, 255, 0, 0, 255, 128}), text, text);
	const char* refusal = nullptr;
	irr::video::IImage* picture = load("a.png", data, refusal);
	ASSERT_NE(picture, nullptr);
	EXPECT_EQ(picture->getPixel(0, 0).color, 0xFFFF0000u);
	EXPECT_EQ(picture->getPixel(1, 0).color, 0x800000FFu);
	picture->drop();
}

} // namespace
} // namespace orv
