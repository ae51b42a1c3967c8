// Frames per second of the 2D world on OpenGL and on the software renderer:
// 10,000 static image nodes and one 256 x 256 tile map, drawn through the
// scene manager under the orthographic camera, against the same quads drawn
// with Irrlicht's draw2DImage. Needs an X display: run it as
// `xvfb-run -a bench/bench_draw` (OpenGL is then Mesa's).

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include <irrlicht.h>

#include "scene/C2DImageSceneNode.h"
#include "scene/CCameraManager.h"
#include "scene/CImageBatch.h"
#include "scene/CTiledImage.h"

namespace {

using irr::core::dimension2du;
using irr::core::vector3df;

const irr::u32 SCREEN_WIDTH = 800;
const irr::u32 SCREEN_HEIGHT = 600;
const irr::u32 OBJECTS = 10000;
const irr::u32 MAP_CELLS = 256;
const irr::u32 TILE = 16;
const int WARM_UP_FRAMES = 5;
const int MEASURED_FRAMES = 40;

// A picture held in memory.
class CPictureImage : public orv::CImage
{
public:
	CPictureImage(irr::IrrlichtDevice* device, const char* name, irr::video::IImage* picture)
		: orv::CImage(device, name)
		, Picture(picture)
	{
		Picture->grab();
	}
	~CPictureImage() override { Picture->drop(); }
	irr::video::IImage* compose() override
	{
		Picture->grab();
		return Picture;
	}

private:
	irr::video::IImage* Picture;
};

irr::video::IImage* checkerPicture(irr::video::IVideoDriver* driver, irr::u32 width, irr::u32 height)
{
	irr::video::IImage* picture = driver->createImage(irr::video::ECF_A8R8G8B8, dimension2du(width, height));
	for (irr::u32 y = 0; y < height; ++y)
		for (irr::u32 x = 0; x < width; ++x)
			picture->setPixel(x, y,
				((x / 8 + y / 8) % 2) ? irr::video::SColor(255, 200, 60, 60) : irr::video::SColor(128, 40, 40, 220));
	return picture;
}

template <typename Draw> double framesPerSecond(irr::IrrlichtDevice* device, Draw draw)
{
	irr::video::IVideoDriver* driver = device->getVideoDriver();
	for (int frame = 0; frame < WARM_UP_FRAMES; ++frame)
	{
		device->run();
		driver->beginScene(true, true, irr::video::SColor(255, 0, 0, 0));
		draw();
		driver->endScene();
	}
	const auto start = std::chrono::steady_clock::now();
	for (int frame = 0; frame < MEASURED_FRAMES; ++frame)
	{
		device->run();
		driver->beginScene(true, true, irr::video::SColor(255, 0, 0, 0));
		draw();
		driver->endScene();
	}
	const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
	return MEASURED_FRAMES / elapsed.count();
}

} // namespace

// Everything made here goes before the device does.
int measure(irr::IrrlichtDevice* device, const char* driverName)
{
	irr::video::IVideoDriver* driver = device->getVideoDriver();
	irr::scene::ISceneManager* scene = device->getSceneManager();
	// As the engine sets up its scene.
	orv::CImageBatch::install(scene);

	irr::video::IImage* spritePicture = checkerPicture(driver, 32, 32);
	irr::video::IImage* tilesetPicture = checkerPicture(driver, 64, 64);
	CPictureImage sprite(device, "sprite.png", spritePicture);
	CPictureImage tileset(device, "tiles.png", tilesetPicture);
	spritePicture->drop();
	tilesetPicture->drop();
	sprite.createTextures();

	std::mt19937 random(7);
	std::vector<irr::u8> tiles(MAP_CELLS * MAP_CELLS * 2);
	for (irr::u8& byte : tiles)
		byte = static_cast<irr::u8>(random() % 4);
	orv::CTiledImage map(device, "TiledObject_1");
	map.setMap(&tileset, TILE, TILE, MAP_CELLS, MAP_CELLS, tiles);
	if (!map.createTextures())
	{
		std::printf("bench_draw: the tile map got no textures\n");
		return 1;
	}

	// The camera looks at the middle of the screen's worth of world.
	orv::CCameraManager camera;
	camera.init(device);
	camera.setPosition(vector3df(SCREEN_WIDTH / 2.0f, SCREEN_HEIGHT / 2.0f, 0));
	camera.getCamera()->setTarget(vector3df(SCREEN_WIDTH / 2.0f, SCREEN_HEIGHT / 2.0f, -100));

	std::vector<irr::core::position2di> places(OBJECTS);
	std::uniform_int_distribution<int> across(0, SCREEN_WIDTH - 32);
	std::uniform_int_distribution<int> down(0, SCREEN_HEIGHT - 32);
	for (auto& place : places)
		place = irr::core::position2di(across(random), down(random));

	orv::C2DImageSceneNode* mapNode = new orv::C2DImageSceneNode(&map, scene->getRootSceneNode(), scene);
	mapNode->setPosition(vector3df(map.getSize().Width / 2.0f, map.getSize().Height / 2.0f, 10));
	mapNode->drop();
	for (const auto& place : places)
	{
		orv::C2DImageSceneNode* node = new orv::C2DImageSceneNode(&sprite, scene->getRootSceneNode(), scene);
		node->setPosition(vector3df(place.X + 16.0f, place.Y + 16.0f, 0));
		node->drop();
	}

	const double sceneFps = framesPerSecond(device, [&] { scene->drawAll(); });
	mapNode->setVisible(false);
	const double sceneSpritesFps = framesPerSecond(device, [&] { scene->drawAll(); });
	mapNode->setVisible(true);

	// The same quads straight through the driver, nodes out of the way.
	scene->getRootSceneNode()->setVisible(false);
	const irr::core::recti spriteRect(0, 0, 32, 32);
	const dimension2du piece = map.getPieceSize();
	const irr::video::SColor white(255, 255, 255, 255);
	const auto drawMap = [&] {
		for (irr::u32 row = 0; row < map.getPieceRows(); ++row)
			for (irr::u32 column = 0; column < map.getPieceColumns(); ++column)
				driver->draw2DImage(map.getTexture(row * map.getPieceColumns() + column),
					irr::core::position2di(column * piece.Width, row * piece.Height),
					irr::core::recti(0, 0, piece.Width, piece.Height), nullptr, white, true);
	};
	const auto drawSprites = [&] {
		for (const auto& place : places)
			driver->draw2DImage(sprite.getTexture(0), place, spriteRect, nullptr, white, true);
	};
	const double directFps = framesPerSecond(device, [&] {
		drawMap();
		drawSprites();
	});
	const double directSpritesFps = framesPerSecond(device, drawSprites);

	std::printf("bench_draw: %u image nodes + one %ux%u tile map (%ux%u px in %u x %u pieces of %ux%u), "
				"%s %ux%u\n",
		OBJECTS, MAP_CELLS, MAP_CELLS, map.getSize().Width, map.getSize().Height, map.getPieceColumns(),
		map.getPieceRows(), piece.Width, piece.Height, driverName, SCREEN_WIDTH, SCREEN_HEIGHT);
	std::printf("                  everything     image nodes only\n");
	std::printf("  scene nodes:  %8.2f f/s    %8.2f f/s\n", sceneFps, sceneSpritesFps);
	std::printf("  draw2DImage:  %8.2f f/s    %8.2f f/s\n", directFps, directSpritesFps);
	std::printf("  ratio (draw2DImage time / scene time): %.2f    %.2f   (target >= 0.80)\n", sceneFps / directFps,
		sceneSpritesFps / directSpritesFps);

	scene->clear();
	return 0;
}

int main()
{
	struct SDriver
	{
		irr::video::E_DRIVER_TYPE type;
		const char* name;
	};
	const SDriver drivers[] = {
		{irr::video::EDT_OPENGL, "OpenGL"}, {irr::video::EDT_BURNINGSVIDEO, "software renderer"}};
	int result = 0;
	// The last window of a display closes only once the next is open: an X
	// server left without clients resets and refuses the next for a moment.
	irr::IrrlichtDevice* previous = nullptr;
	for (const SDriver& driver : drivers)
	{
		irr::IrrlichtDevice* device = irr::createDevice(
			driver.type, dimension2du(SCREEN_WIDTH, SCREEN_HEIGHT), 32, false, false, false, nullptr);
		if (previous)
			previous->drop();
		previous = device;
		if (!device)
		{
			std::printf("bench_draw: no %s window (it needs an X display; try xvfb-run -a)\n", driver.name);
			result = 1;
			continue;
		}
		device->getLogger()->setLogLevel(irr::ELL_ERROR);
		result |= measure(device, driver.name);
	}
	if (previous)
		previous->drop();
	return result;
}
