// The .gani reader under libFuzzer: the file is read as an animation, applied to a sprite node and
// played, frame after frame and turning between directions, on the null device. A host of the
// fuzzer's own stands in for the engine, so no cache carries anything from one input to the next.
//
// Input: [direction byte][steps byte][file]. The node turns to direction % 5 halfway through
// steps % 64 steps of the clock, 60,000 s apart.

#include "FuzzEngine.h"
#include "scene/AnimationMemory.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CAnimation.h"
#include "scene/CStaticImage.h"
#include "scene/ISceneHost.h"
#include "world/CConsumerRegistry.h"

#include <irrlicht.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

namespace fs = std::filesystem;

const char* const FILE_NAME = "fuzzed.gani";

//! Every image name gives the one image; the animation being played is the only one there is, so a
//! set-back to its own name finds it and every other name finds none.
class CFuzzHost : public orv::ISceneHost, public orv::IAnimationContent
{
public:
	CFuzzHost()
	{
		Folder = orv::fuzz::makeFolder("orv-fuzz-gani-");
		irr::SIrrlichtCreationParameters params;
		params.DriverType = irr::video::EDT_NULL;
		params.LoggingLevel = irr::ELL_NONE;
		Device = irr::createDeviceEx(params);
		if (!Device)
		{
			std::fprintf(stderr, "the null device does not start\n");
			std::abort();
		}
		Device->getFileSystem()->changeWorkingDirectoryTo(Folder.string().c_str());
		Device->getTimer()->stop();
		Image = std::make_unique<orv::CStaticImage>(Device, "sprite.png");
		orv::setSceneHost(this);
	}
	~CFuzzHost() override
	{
		orv::setSceneHost(nullptr);
		Image.reset();
		Device->drop();
		std::error_code error;
		fs::remove_all(Folder, error);
	}

	irr::IrrlichtDevice* getDevice() const override { return Device; }
	orv::CConsumerRegistry& getConsumers() override { return Consumers; }
	orv::SceneNodeMap& getSceneNodes() override { return Nodes; }
	irr::scene::ISceneNode* findSceneNode(orv::CSceneObject*) override { return nullptr; }
	orv::CSceneObject* getPlayerObject() const override { return nullptr; }
	orv::CAnimation* getAnimation(const irr::core::ustring16& name) override
	{
		return Playing && name == Playing->getName() ? Playing : nullptr;
	}
	orv::CImage* getImage(irr::u32, const irr::core::ustring16&) override { return Image.get(); }
	orv::CImage* findImage(const irr::core::ustring16&) override { return Image.get(); }
	orv::audio::IAudioSource* getSound(const irr::core::ustring16&) override { return nullptr; }

	fs::path Folder;
	irr::IrrlichtDevice* Device = nullptr;
	orv::CAnimation* Playing = nullptr;

private:
	std::unique_ptr<orv::CStaticImage> Image;
	orv::CConsumerRegistry Consumers;
	orv::SceneNodeMap Nodes;
};

CFuzzHost& host()
{
	static CFuzzHost instance;
	return instance;
}

//! Plays the animation on a node of its own, which goes with its sprites before the animation.
void play(CFuzzHost& h, orv::CAnimation& animation, irr::u32 direction, irr::u32 steps)
{
	irr::scene::ISceneManager* scene = h.Device->getSceneManager();
	h.Device->getTimer()->setTime(0);
	auto* node = new orv::CAnimatedSpriteSceneNode(scene->getRootSceneNode(), scene);
	animation.applyToNode(node, nullptr);
	node->setStopped(false);
	// Far enough apart that a frame of any usual length ends between two steps; 64 of them still
	// fit the clock.
	const irr::u32 stepMs = 60000000;
	for (irr::u32 step = 0; step < steps; ++step)
	{
		if (step == steps / 2)
			node->setDirection(direction);
		node->OnAnimate((step + 1) * stepMs);
	}
	animation.applyToNode(node, nullptr);
	node->remove();
	node->drop();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const irr::u8* data, std::size_t size)
{
	if (size < 2)
		return 0;
	CFuzzHost& h = host();
	{
		std::ofstream out(h.Folder / FILE_NAME, std::ios::binary | std::ios::trunc);
		out.write(reinterpret_cast<const char*>(data + 2), static_cast<std::streamsize>(size - 2));
	}
	std::unique_ptr<orv::CAnimation> animation;
	try
	{
		animation = std::make_unique<orv::CAnimation>(FILE_NAME, h.Device->getFileSystem(), h);
	}
	catch (const std::exception&)
	{
		return 0;
	}
	h.Playing = animation.get();
	play(h, *animation, data[0] % 5, data[1] % 64);
	h.Playing = nullptr;
	animation.reset();
	if (orv::getAnimationMemoryHeld() != 0)
	{
		std::fprintf(stderr, "the animation and its node left memory taken\n");
		std::abort();
	}
	return 0;
}
