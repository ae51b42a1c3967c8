// What a frame of animated objects costs: N objects play one looping
// animation of P sprite placements a frame, every frame a step, animated and
// drawn through the scene manager on the null device. Each size runs in an
// engine of its own, in a process of its own, and prints the time of a frame
// (mean and worst) and the sprite nodes shown at the end. "steady" frames
// move every placement; "half" frames alternate P and P/2 placements, so
// every step makes or removes half of them; "none" frames alternate P
// placements and none, so every step makes or removes all of them.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <ISceneManager.h>
#include <ITimer.h>
#include <IVideoDriver.h>

#include "scene/AnimationMemory.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CAnimation.h"
#include "scene/ShownSprites.h"
#include "support/FreshEngine.h"
#include "support/InChild.h"
#include "support/NoAudioDevice.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

using namespace orv;
using Clock = std::chrono::steady_clock;

namespace {

// Frames last 50 ms; each measured frame comes 51 ms after the last.
const irr::u32 FRAME_MS = 51;
const int MEASURED_FRAMES_MAX = 20;
const int MEASURED_FRAMES_MIN = 3;
const double MEASURE_SECONDS = 2.0;

enum EFrames
{
	EF_STEADY,
	EF_HALF,
	EF_UNKNOWN,
	EF_NO_IMAGE,
	EF_NONE,
};
const char* const FRAMES_NAMES[] = {"steady", "half", "unknown", "noimage", "none"};

struct SCase
{
	int objects;
	int placements;
	EFrames frames;
	// Without the bound of all shown sprite nodes: what a frame of that many
	// costs, from which the bound is chosen.
	bool unbounded = false;
};

struct SFigures
{
	double meanMs = -1.0;
	double worstMs = 0.0;
	int frames = 0;
	unsigned long sprites = 0;
};

// Two frames of one direction; the second moves every placement down a pixel
// and, for "half", has only half of them. "unknown" places a sprite that is
// not defined, which shows nothing. "noimage" plays it for objects whose
// class names no picture for the sprites, which show nothing either.
std::string animationText(const SCase& c)
{
	std::string text = "GANI0001SPRITE 1 a.png 0 0 32 32 x\nSPRITE 2 a.png 0 0 16 16 y\nSINGLEDIRECTION\nLOOP\nANI\n";
	for (int frame = 0; frame < 2; ++frame)
	{
		const int count = frame == 1 && c.frames == EF_HALF ? c.placements / 2 : c.placements;
		for (int i = 0; i < count; ++i)
		{
			const bool unknown = c.frames == EF_UNKNOWN || (c.frames == EF_NONE && frame == 1);
			const int sprite = unknown ? 3 : 1 + (i + frame) % 2;
			text += std::to_string(sprite) + " " + std::to_string(i % 64) + " " + std::to_string(frame + i / 64) +
				(i + 1 < count ? " " : "\n");
		}
	}
	return text + "ANIEND\n";
}

SFigures playFrames(const SCase& c)
{
	// The child's engine talks while it starts; the table is the parent's.
	std::freopen("/dev/null", "w", stdout);
	std::freopen("/dev/null", "w", stderr);
	SFigures figures;
	if (c.unbounded)
		setShownSpriteLimit(std::numeric_limits<std::size_t>::max());
	bench::CFreshEngine fresh("sprite-frame");
	std::ofstream(fresh.folder() / "play.gani", std::ios::binary) << animationText(c);
	CGameEngine* engine = fresh.start();
	if (!engine)
		return figures;
	irr::IrrlichtDevice* device = engine->getDevice();
	irr::scene::ISceneManager* scene = device->getSceneManager();
	irr::video::IVideoDriver* driver = device->getVideoDriver();
	irr::ITimer* timer = device->getTimer();
	timer->stop();
	irr::u32 now = 1000;
	timer->setTime(now);

	// A picture of its own, so every sprite node has pieces to draw.
	irr::video::IImage* picture = driver->createImage(irr::video::ECF_A8R8G8B8, irr::core::dimension2du(64, 64));
	picture->fill(irr::video::SColor(255, 200, 60, 60));
	const bool written = driver->writeImageToFile(picture, (fresh.folder() / "a.png").c_str());
	picture->drop();
	if (!written)
		return figures;

	CAnimation* animation = engine->getAnimation("play.gani");
	if (!animation)
		return figures;
	std::vector<CAnimatedSpriteSceneNode*> nodes;
	for (int i = 0; i < c.objects; ++i)
	{
		CAnimatedSpriteSceneNode* node = new CAnimatedSpriteSceneNode(scene->getRootSceneNode(), scene);
		node->setPosition(
			irr::core::vector3df(static_cast<irr::f32>(i % 20) * 40.0f, static_cast<irr::f32>(i / 20) * 40.0f, 0));
		CSceneObject* object = nullptr;
		if (c.frames == EF_NO_IMAGE)
		{
			object = CObjectManager::getInstance()->createSceneObject(1000 + i, ESOT_ANIMATED, "");
			if (!object)
				return figures;
			object->getClassAttributes().setString("LEFT", -1, "16");
		}
		animation->applyToNode(node, object);
		node->setStopped(false);
		nodes.push_back(node);
	}
	const auto frame = [&] {
		now += FRAME_MS;
		timer->setTime(now);
		driver->beginScene(true, true, irr::video::SColor(255, 0, 0, 0));
		scene->drawAll();
		driver->endScene();
	};
	// The first step of every object, then the measured ones.
	frame();
	double total = 0.0;
	while (figures.frames < MEASURED_FRAMES_MAX && (figures.frames < MEASURED_FRAMES_MIN || total < MEASURE_SECONDS))
	{
		const Clock::time_point start = Clock::now();
		frame();
		const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
		total += seconds;
		figures.worstMs = std::max(figures.worstMs, seconds * 1000.0);
		++figures.frames;
	}
	figures.meanMs = total * 1000.0 / figures.frames;
	for (CAnimatedSpriteSceneNode* node : nodes)
	{
		figures.sprites += node->getChildren().size();
		node->remove();
		node->drop();
	}
	return figures;
}

} // namespace

int main()
{
	bench::withoutAudioDevice();
	const SCase cases[] = {
		{10, 16, EF_STEADY},
		{200, 16, EF_STEADY},
		{10, 256, EF_STEADY},
		{200, 256, EF_STEADY},
		{10, 1024, EF_STEADY},
		{200, 1024, EF_STEADY},
		{10, 4096, EF_STEADY},
		{200, 4096, EF_STEADY},
		{8, 1024, EF_HALF},
		{2, 4096, EF_HALF},
		{200, 1024, EF_HALF},
		{200, 4096, EF_HALF},
		{2, 4096, EF_NONE},
		{200, 4096, EF_UNKNOWN},
		{200, 4096, EF_NO_IMAGE},
		{200, 16, EF_STEADY, true},
		{200, 64, EF_STEADY, true},
		{200, 256, EF_STEADY, true},
	};
	std::printf("bench_sprite_frame: objects x placements, a step of every object each frame (null device);\n"
				"  at most %zu sprite placements shown in all, but on the rows marked \"no bound\"\n",
		DEFAULT_SHOWN_SPRITE_LIMIT);
	std::printf("  objects  placements  frames        mean ms     worst ms   sprite nodes\n");
	std::fflush(stdout);
	int result = 0;
	for (const SCase& c : cases)
	{
		const SFigures figures = bench::inChild([&] { return playFrames(c); }, SFigures());
		if (figures.meanMs < 0.0)
		{
			std::printf("  %7d  %10d  %-7s  did not run\n", c.objects, c.placements, FRAMES_NAMES[c.frames]);
			result = 1;
			continue;
		}
		std::printf("  %7d  %10d  %-7s  %11.2f  %11.2f  %13lu%s\n", c.objects, c.placements, FRAMES_NAMES[c.frames],
			figures.meanMs, figures.worstMs, figures.sprites, c.unbounded ? "  no bound" : "");
		std::fflush(stdout);
	}
	return result;
}
