// Picture files a hostile server or package could send: each is refused with a
// warning and no texture, before Irrlicht's loader would read or write past
// its buffers; real pictures of every format still load.

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "scene/picture/PictureFields.h"

#include "scene/CStaticImage.h"
#include "scene/picture/PictureLoad.h"
#include "base/Log.h"
#include "support/CLogLines.h"
#include "support/CMemoryImage.h"
#include "support/engine_fixture.h"

namespace orv {
namespace {

using irr::core::dimension2du;
using test::be16;
using test::be32;
using test::le16;
using test::le32;

// The signature and an IHDR chunk of that size; nothing after.
std::string pngHeader(irr::u32 width, irr::u32 height)
{
	return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(width) + be32(height) +
		std::string("\x08\x06\x00\x00\x00", 5) + be32(0);
}

struct SBmp
{
	irr::u32 width = 2, height = 2, bits = 24, offset = 54, compression = 0, dataBytes = 0;
	std::string palette;
	std::string pixels = std::string(16, '\x40');

	std::string bytes() const
	{
		const std::string body = palette + pixels;
		return "BM" + le32(54 + irr::u32(body.size())) + le32(0) + le32(offset) + le32(40) + le32(width) +
			le32(height) + le16(1) + le16(bits) + le32(compression) + le32(dataBytes) + le32(0) + le32(0) + le32(0) +
			le32(0) + body;
	}
};

struct STga
{
	irr::u8 mapType = 0, type = 2, mapEntryBits = 0, bits = 32;
	irr::u16 mapLength = 0, width = 2, height = 2;
	std::string map;
	std::string pixels = std::string(16, '\x40');

	std::string bytes() const
	{
		return std::string{0, char(mapType), char(type)} + le16(0) + le16(mapLength) + char(mapEntryBits) + le16(0) +
			le16(0) + le16(width) + le16(height) + char(bits) + char(0x20) + map + pixels;
	}
};

class HostileImages : public ::testing::Test
{
protected:
	void SetUp() override
	{
		device = irr::createDevice(irr::video::EDT_NULL);
		ASSERT_NE(device, nullptr);
		device->getLogger()->setLogLevel(irr::ELL_WARNING);
		device->setEventReceiver(&log);
		setLogger(device->getLogger());
		driver = device->getVideoDriver();
	}
	void TearDown() override
	{
		setLogger(nullptr);
		device->setEventReceiver(nullptr);
		device->drop();
	}

	// Irrlicht's own writer's file of a small picture in that format.
	std::string written(const char* extension, irr::u32 width = 20, irr::u32 height = 10)
	{
		irr::video::IImage* source = test::createFilledPicture(driver, width, height);
		const std::string path = folder.path() + "written." + extension;
		EXPECT_TRUE(driver->writeImageToFile(source, path.c_str())) << extension;
		source->drop();
		return folder.read(std::string("written.") + extension);
	}

	irr::IrrlichtDevice* device = nullptr;
	irr::video::IVideoDriver* driver = nullptr;
	test::CLogLines log;
	test::CTempFolder folder;
};

TEST_F(HostileImages, RealPicturesOfEachFormatLoadWhateverTheirName)
{
	// A run packet of four pixels, then a raw packet of two.
	STga runs;
	runs.type = 10;
	runs.width = 3;
	runs.pixels = std::string("\x83", 1) + "\x01\x02\x03\x04" + "\x01" + std::string(8, '\x09');
	struct Case
	{
		const char* name;
		std::string bytes;
		dimension2du size;
	} cases[] = {
		{"a.png", written("png"), {20, 10}},
		{"a.jpg", written("jpg"), {20, 10}},
		{"a.bmp", written("bmp"), {20, 10}},
		{"a.tga", written("tga"), {20, 10}},
		{"a.pcx", written("pcx"), {20, 10}},
		{"runs.tga", runs.bytes(), {3, 2}},
		{"a.bmp.png", written("bmp"), {20, 10}},
		{"a.png.tga", written("png"), {20, 10}},
		{"a.jpg.bmp", written("jpg"), {20, 10}},
	};
	for (const Case& c : cases)
	{
		folder.write(c.name, c.bytes);
		CStaticImage image(device, (folder.path() + c.name).c_str());
		EXPECT_TRUE(image.createTextures()) << c.name;
		EXPECT_EQ(image.getSize(), c.size) << c.name;
	}
	EXPECT_TRUE(log.lines.empty()) << log.lines.front();
}

TEST_F(HostileImages, PicturesThatWouldCrashTheLoadersAreRefused)
{
	SBmp badOffset;
	badOffset.offset = 10;
	SBmp offsetPastEnd;
	offsetPastEnd.offset = 5000;
	SBmp hugeBmp;
	hugeBmp.width = 100000;
	hugeBmp.height = 100000;
	SBmp topDown;
	topDown.height = irr::u32(-20000);
	SBmp runLength;
	runLength.bits = 8;
	runLength.compression = 1;
	runLength.offset = 54 + 1024;
	runLength.palette = std::string(1024, '\0');
	runLength.pixels = std::string("\xFF\x01\xFF\x01\x00\x01", 6);
	SBmp shortPalette;
	shortPalette.bits = 8;
	shortPalette.offset = 54 + 8;
	shortPalette.palette = std::string(8, '\0');
	shortPalette.pixels = std::string("\x01\x00\x00\x00\x00\xC8\x00\x00", 8);
	SBmp shortPixels;
	shortPixels.width = 64;
	// Its last row lacks a byte, its padding does not count.
	SBmp oddSixteenBits;
	oddSixteenBits.width = 5;
	oddSixteenBits.height = 3;
	oddSixteenBits.bits = 16;
	oddSixteenBits.pixels = std::string(33, '\x40');

	STga hugeTga;
	hugeTga.width = 65535;
	hugeTga.height = 65535;
	STga shortTga;
	shortTga.width = 64;
	STga runsPastEnd;
	runsPastEnd.type = 10;
	runsPastEnd.pixels = std::string("\xFF\x01\x02\x03\x04", 5);
	STga runsCutShort;
	runsCutShort.type = 10;
	runsCutShort.pixels = std::string("\x81\x01\x02\x03\x04", 5);
	STga mapIndexPastMap;
	mapIndexPastMap.type = 1;
	mapIndexPastMap.bits = 8;
	mapIndexPastMap.mapType = 1;
	mapIndexPastMap.mapEntryBits = 24;
	mapIndexPastMap.mapLength = 2;
	mapIndexPastMap.map = std::string(6, '\x10');
	mapIndexPastMap.pixels = std::string("\x00\x01\x07\x00", 4);
	STga fifteenBits;
	fifteenBits.bits = 15;

	const std::string jpeg = written("jpg");
	const std::string wideJpeg = written("jpg", 21846, 2);
	std::string segmentPastEnd = jpeg.substr(0, 2) + "\xFF\xE0" + be16(60000) + "JFIF";
	struct Case
	{
		const char* name;
		std::string bytes;
	} cases[] = {
		{"huge.png", pngHeader(100000, 100000)},
		{"wide.png", pngHeader(16385, 1)},
		{"empty.png", pngHeader(0, 10)},
		{"short.png", pngHeader(20, 10).substr(0, 20)},
		{"huge.bmp", hugeBmp.bytes()},
		{"huge-top-down.bmp", topDown.bytes()},
		{"bad-offset.bmp", badOffset.bytes()},
		{"offset-past-end.bmp", offsetPastEnd.bytes()},
		{"run-length.bmp", runLength.bytes()},
		{"short-palette.bmp", shortPalette.bytes()},
		{"short-pixels.bmp", shortPixels.bytes()},
		{"odd-sixteen-bits.bmp", oddSixteenBits.bytes()},
		{"short.bmp", SBmp().bytes().substr(0, 30)},
		{"huge.tga", hugeTga.bytes()},
		{"short.tga", shortTga.bytes()},
		{"runs-past-end.tga", runsPastEnd.bytes()},
		{"runs-cut-short.tga", runsCutShort.bytes()},
		{"map-index.tga", mapIndexPastMap.bytes()},
		{"fifteen-bits.tga", fifteenBits.bytes()},
		{"header-only.tga", STga().bytes().substr(0, 12)},
		{"cut.jpg", jpeg.substr(0, jpeg.size() / 2)},
		{"no-end.jpg", jpeg.substr(0, jpeg.size() - 2)},
		{"segment-past-end.jpg", segmentPastEnd},
		{"wide.jpg", wideJpeg},
		// Renamed: the bytes decide, not the name.
		{"bad-offset.png", badOffset.bytes()},
		{"huge.jpg", hugeTga.bytes()},
		{"not-a-picture.png", "nothing here"},
		{"a.ppm", written("ppm")},
		{"empty.tga", ""},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		folder.write(c.name, c.bytes);
		log.lines.clear();
		CStaticImage image(device, (folder.path() + c.name).c_str());
		EXPECT_FALSE(image.createTextures());
		EXPECT_TRUE(image.getTextures().empty());
		EXPECT_EQ(log.lines.size(), 1u);
		const std::string line = log.lines.empty() ? std::string() : log.lines[0];
		EXPECT_EQ(line.find("core: Picture refused ("), 0u) << line;
		EXPECT_NE(line.find(c.name), std::string::npos) << line;
	}
}

TEST_F(HostileImages, FormatsAreKnownByTheirBytesAndTgaByItsNameOrFooter)
{
	SBmp bmp;
	bmp.width = 5;
	bmp.height = 3;
	bmp.pixels = std::string(48, '\0');
	STga tga;
	tga.width = 7;
	tga.pixels = std::string(7 * 2 * 4, '\0');
	struct Case
	{
		const char* name;
		std::string bytes;
		const char* fileName;
		irr::u32 width, height; // 0: refused as no picture
	} cases[] = {
		{"png", written("png"), "a.bin", 20, 10},
		{"bmp", bmp.bytes(), "a.bin", 5, 3},
		{"tga by name", tga.bytes(), "a.tga", 7, 2},
		{"tga by footer", tga.bytes() + std::string(8, '\0') + std::string("TRUEVISION-XFILE.", 18), "a.bin", 7, 2},
		{"tga without either", tga.bytes(), "a.bin", 0, 0},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		irr::io::IReadFile* file = device->getFileSystem()->createMemoryReadFile(
			const_cast<char*>(c.bytes.data()), irr::s32(c.bytes.size()), c.fileName, false);
		const char* refusal = nullptr;
		irr::video::IImage* picture = loadPicture(device, file, refusal);
		file->drop();
		EXPECT_EQ(picture != nullptr, c.width != 0);
		if (picture)
		{
			EXPECT_EQ(picture->getDimension(), dimension2du(c.width, c.height));
			picture->drop();
		}
		else
		{
			EXPECT_STREQ(refusal, "not a picture format the client reads");
		}
	}
}

} // namespace
} // namespace orv
