#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "scene/CStaticImage.h"
#include "scene/CTiledImage.h"
#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/PictureCopy.h"
#include "scene/TextureLayout.h"
#include "support/CMemoryImage.h"
#include "support/engine_fixture.h"

namespace orv {
namespace {

using irr::core::dimension2du;
using irr::video::IImage;
using irr::video::SColor;
using test::CMemoryImage;

class NullDriverImages : public ::testing::Test
{
protected:
	void SetUp() override
	{
		device = irr::createDevice(irr::video::EDT_NULL);
		ASSERT_NE(device, nullptr);
		device->getLogger()->setLogLevel(irr::ELL_NONE);
		driver = device->getVideoDriver();
	}
	void TearDown() override { device->drop(); }

	// A picture of the size filled with one colour; the caller drops it.
	IImage* picture(irr::u32 width, irr::u32 height, SColor colour = SColor(255, 40, 80, 120),
		irr::video::ECOLOR_FORMAT format = irr::video::ECF_A8R8G8B8)
	{
		return test::createFilledPicture(driver, width, height, colour, format);
	}

	irr::IrrlichtDevice* device = nullptr;
	irr::video::IVideoDriver* driver = nullptr;
};

TEST(TextureLayout, PiecesForTheDriversLimits)
{
	struct Case
	{
		dimension2du picture;
		STextureLimits limits;
		dimension2du piece;
		irr::u16 columns, rows;
		bool padded;
	} cases[] = {
		{{300, 200}, {true, true, 0}, {300, 200}, 1, 1, false},
		{{300, 200}, {false, true, 0}, {512, 256}, 1, 1, true},
		{{300, 200}, {false, false, 0}, {512, 512}, 1, 1, true},
		// Square textures of any size: the picture no longer fills its texture.
		{{300, 200}, {true, false, 0}, {300, 300}, 1, 1, true},
		{{3000, 100}, {true, true, 2048}, {2048, 100}, 2, 1, false},
		{{3000, 100}, {true, true, 0}, {3000, 100}, 1, 1, false},
		{{5000, 4100}, {false, true, 2048}, {2048, 2048}, 3, 3, false},
		{{4096, 1}, {false, false, 1024}, {1024, 1024}, 4, 1, false},
		{{256, 256}, {false, false, 256}, {256, 256}, 1, 1, false},
		{{257, 256}, {false, true, 256}, {256, 256}, 2, 1, false},
		{{1, 1}, {false, false, 0}, {1, 1}, 1, 1, false},
		{{16384, 3}, {false, false, 0}, {16384, 16384}, 1, 1, true},
	};
	for (const Case& c : cases)
	{
		const STextureLayout layout = computeTextureLayout(c.picture, c.limits);
		SCOPED_TRACE(testing::Message() << c.picture.Width << "x" << c.picture.Height << " npot "
										<< c.limits.NonPowerOfTwo << " nsquare " << c.limits.NonSquare << " bound "
										<< c.limits.MaxEdge);
		EXPECT_EQ(layout.PieceSize, c.piece);
		EXPECT_EQ(layout.Columns, c.columns);
		EXPECT_EQ(layout.Rows, c.rows);
		EXPECT_EQ(layout.isPadded(c.picture), c.padded);
	}
}

TEST(ImageSizeGuard, TiledSizesAndTileBytes)
{
	struct Case
	{
		irr::s64 tileWidth, tileHeight, columns, rows;
		bool allowed;
		dimension2du size;
	} cases[] = {
		{16, 16, 3, 2, true, {48, 32}},
		{0, 16, 3, 2, false, {}},
		{16, -16, 3, 2, false, {}},
		{16, 16, 0, 2, false, {}},
		{1, 1, 16384, 1, true, {16384, 1}},
		{1, 1, 16385, 1, false, {}},
		// 256 MiB exactly, then one row more.
		{8192, 8192, 1, 1, true, {8192, 8192}},
		{8192, 1, 1, 8193, false, {}},
		{16384, 4096, 1, 1, true, {16384, 4096}},
		// Products that wrap 32 bits, as Irrlicht would compute them.
		{16384, 16384, 4, 1, false, {}},
		{65536, 1, 65536, 16384, false, {}},
		{irr::s64(1) << 40, 1, irr::s64(1) << 40, 1, false, {}},
	};
	for (const Case& c : cases)
	{
		dimension2du size(7, 7);
		SCOPED_TRACE(testing::Message() << c.tileWidth << " " << c.tileHeight << " " << c.columns << " " << c.rows);
		EXPECT_EQ(computeTiledImageSize(c.tileWidth, c.tileHeight, c.columns, c.rows, size), c.allowed);
		EXPECT_EQ(size, c.allowed ? c.size : dimension2du(7, 7));
	}

	struct Bytes
	{
		irr::u64 count, columns, rows;
		bool valid;
	} bytes[] = {
		{12, 3, 2, true},
		{11, 3, 2, false},
		{13, 3, 2, false},
		{0, 0, 0, true},
		// 0x80000000 cells: twice that wraps 32 bits to 0.
		{0, 0x10000, 0x8000, false},
		{irr::u64(1) << 32, 0x10000, 0x8000, true},
	};
	for (const Bytes& b : bytes)
		EXPECT_EQ(isTileByteCountValid(b.count, b.columns, b.rows), b.valid) << b.count;
}

TEST_F(NullDriverImages, TiledImageNeedsTwoBytesPerCell)
{
	IImage* tilesetPicture = picture(64, 64);
	CMemoryImage tileset(device, "tiles.png", tilesetPicture);
	tilesetPicture->drop();

	struct Case
	{
		size_t tileBytes;
		bool composed;
	} cases[] = {{12, true}, {11, false}, {13, false}, {0, false}};
	for (const Case& c : cases)
	{
		CTiledImage map(device, "TiledObject_1");
		map.setMap(&tileset, 16, 16, 3, 2, std::vector<irr::u8>(c.tileBytes, 1));
		EXPECT_EQ(map.getSize(), dimension2du(48, 32));
		EXPECT_EQ(map.createTextures(), c.composed) << c.tileBytes;
		EXPECT_EQ(map.getTextures().size(), c.composed ? 1u : 0u);
		if (c.composed)
		{
			EXPECT_EQ(map.getSize(), dimension2du(48, 32));
			// The null driver has neither non-power-of-two nor non-square textures.
			EXPECT_EQ(map.getPieceSize(), dimension2du(64, 64));
		}
	}

	CTiledImage noTileset(device, "TiledObject_2");
	noTileset.setMap(nullptr, 16, 16, 3, 2, std::vector<irr::u8>(12, 0));
	EXPECT_FALSE(noTileset.createTextures());
}

TEST_F(NullDriverImages, OversizedMapIsRefusedBeforeAnythingIsMade)
{
	IImage* tilesetPicture = picture(16, 16);
	CMemoryImage tileset(device, "tiles.png", tilesetPicture);
	tilesetPicture->drop();

	struct Case
	{
		irr::u32 tileWidth, tileHeight, columns, rows;
	} cases[] = {
		{16384, 16384, 4, 1}, // 65536 x 16384: 2^32 bytes, 0 in 32 bits
		{1, 1, 16385, 1},
		{0, 16, 1, 1},
	};
	for (const Case& c : cases)
	{
		CTiledImage map(device, "TiledObject_3");
		map.setMap(&tileset, c.tileWidth, c.tileHeight, c.columns, c.rows,
			std::vector<irr::u8>(size_t(c.columns) * c.rows * 2, 0));
		EXPECT_EQ(map.getSize(), dimension2du(0, 0));
		EXPECT_FALSE(map.createTextures());
		EXPECT_TRUE(map.getTextures().empty());
	}
	EXPECT_EQ(tileset.Composed, 0);
}

TEST_F(NullDriverImages, TilesLandInTheirCellsAndKeepTheirAlpha)
{
	// Tileset of 2 x 1 tiles of 4 x 4: tile (0, 0) semi-transparent, tile (1, 0) opaque blue.
	IImage* tilesetPicture = picture(8, 4, SColor(0, 0, 0, 0));
	const SColor halfWhite(128, 255, 255, 255);
	const SColor blue(255, 0, 0, 255);
	for (irr::u32 y = 0; y < 4; ++y)
		for (irr::u32 x = 0; x < 8; ++x)
			tilesetPicture->setPixel(x, y, x < 4 ? halfWhite : blue);
	CMemoryImage tileset(device, "tiles.png", tilesetPicture);
	tilesetPicture->drop();

	// Cells: (1,0) (0,0) / (9,9) outside the tileset, (1,0).
	CTiledImage map(device, "TiledObject_4");
	map.setMap(&tileset, 4, 4, 2, 2, {1, 0, 0, 0, 9, 9, 1, 0});
	IImage* composed = map.compose();
	ASSERT_NE(composed, nullptr);
	struct Case
	{
		irr::u32 x, y;
		SColor colour;
	} cases[] = {{1, 1, blue}, {5, 2, halfWhite}, {2, 6, SColor(0)}, {7, 7, blue}};
	for (const Case& c : cases)
		EXPECT_EQ(composed->getPixel(c.x, c.y).color, c.colour.color) << c.x << "," << c.y;
	composed->drop();
}

TEST_F(NullDriverImages, PiecesCopyPixelsUnchangedAndPadWithTransparentBlack)
{
	struct Case
	{
		irr::video::ECOLOR_FORMAT format;
		SColor colour;
		SColor expected;
	} cases[] = {
		{irr::video::ECF_A8R8G8B8, SColor(128, 255, 255, 255), SColor(128, 255, 255, 255)},
		{irr::video::ECF_A8R8G8B8, SColor(1, 2, 3, 4), SColor(1, 2, 3, 4)},
		{irr::video::ECF_R8G8B8, SColor(255, 10, 20, 30), SColor(255, 10, 20, 30)},
	};
	for (const Case& c : cases)
	{
		IImage* source = picture(3, 5, c.colour, c.format);
		// Piece (1, 0) of 2 x 4 pieces covers column 2 and rows 0-3 only.
		IImage* piece = createPiecePicture(driver, source, dimension2du(2, 4), 1, 0);
		ASSERT_NE(piece, nullptr);
		EXPECT_EQ(piece->getColorFormat(), irr::video::ECF_A8R8G8B8);
		EXPECT_EQ(piece->getPixel(0, 3).color, c.expected.color);
		EXPECT_EQ(piece->getPixel(1, 0).color, 0u);
		piece->drop();
		source->drop();
	}
}

TEST_F(NullDriverImages, RebuildingReplacesTheTexturesAndDeletingRemovesThem)
{
	const irr::u32 before = driver->getTextureCount();
	{
		IImage* source = picture(300, 200);
		CMemoryImage image(device, "big.png", source);
		source->drop();
		for (int build = 0; build < 3; ++build)
		{
			ASSERT_TRUE(image.createTextures());
			EXPECT_EQ(driver->getTextureCount(), before + 1);
		}
		EXPECT_EQ(image.getSize(), dimension2du(300, 200));
		EXPECT_EQ(image.getPieceSize(), dimension2du(512, 512));
		EXPECT_EQ(image.getTexture(0)->getName().getPath(), irr::io::path("CImage_big.png"));
		EXPECT_EQ(image.getTexture(1), nullptr);

		// A picture that cannot be composed any more keeps the old textures.
		image.setPicture(nullptr);
		EXPECT_FALSE(image.createTextures());
		EXPECT_EQ(image.getTextures().size(), 1u);
	}
	EXPECT_EQ(driver->getTextureCount(), before);
}

TEST_F(NullDriverImages, StaticImageReadsItsFile)
{
	test::CTempFolder folder;
	IImage* source = picture(20, 10, SColor(255, 1, 2, 3));
	ASSERT_TRUE(driver->writeImageToFile(source, (folder.path() + "pic.png").c_str()));
	source->drop();

	CStaticImage image(device, (folder.path() + "pic.png").c_str());
	EXPECT_EQ(image.getType(), EIT_STATIC);
	ASSERT_TRUE(image.createTextures());
	EXPECT_EQ(image.getSize(), dimension2du(20, 10));
	EXPECT_EQ(image.getPieceSize(), dimension2du(32, 32));

	// Content made on Windows names its files with backslashes and in any case.
	const irr::io::path previous = device->getFileSystem()->getWorkingDirectory();
	ASSERT_TRUE(device->getFileSystem()->changeWorkingDirectoryTo(folder.path().c_str()));
	CStaticImage windowsName(device, "Sub\\PIC.png");
	folder.write("sub/pic.png", folder.read("pic.png"));
	EXPECT_TRUE(windowsName.createTextures());
	EXPECT_EQ(windowsName.getSize(), dimension2du(20, 10));
	device->getFileSystem()->changeWorkingDirectoryTo(previous);

	folder.write("not-a-picture.png", "nothing here");
	struct Case
	{
		const char* file;
	} missing[] = {{"absent.png"}, {"not-a-picture.png"}};
	for (const Case& c : missing)
	{
		CStaticImage none(device, (folder.path() + c.file).c_str());
		EXPECT_FALSE(none.createTextures()) << c.file;
		EXPECT_EQ(none.getSize(), dimension2du(0, 0));
	}
}

} // namespace
} // namespace orv
