// The engine's sound: the cache of sources by file, frame sounds of
// animations, the listener at the player. Tests run on OpenAL's null device;
// the captured case runs once more through the wave writer, in a process of
// its own (see tests/engine/CMakeLists.txt).

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include <AL/alc.h>
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include "AudioTestSupport.h"
#include "audio/IAudioManager.h"
#include "audio/ISourceEventHandler.h"
#include "base/Refusal.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CAnimation.h"
#include "scene/FrameSound.h"
#include "support/CLogLines.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"
#include "world/EngineAttributes.h"

namespace orv {
namespace {

using irr::core::ustring16;

std::string asText(const test::Bytes& bytes)
{
	return std::string(bytes.begin(), bytes.end());
}

std::string toneWav(double seconds)
{
	test::SWavSpec spec;
	spec.rate = 22050;
	spec.frames = static_cast<uint32_t>(seconds * spec.rate);
	test::Bytes wav = test::makeWav(spec);
	const test::Bytes tone = test::makeTone(440.0, seconds, 22050, 1);
	std::copy(tone.begin(), tone.end(), wav.begin() + test::wavDataOffset(spec));
	return asText(wav);
}

// A loop of two frames of 50 ms: frame 0 is silent, frame 1 plays the tone
// 3 pixels right of the node and 4 below.
const char* const SOUNDING_ANIMATION = "GANI0001\nSPRITE 1 pic.png 0 0 8 8 body\nSINGLEDIRECTION\nLOOP\nANI\n"
									   "1 0 0\nPLAYSOUND tone.wav 3 4\n1 0 0\nANIEND\n";

// Two frames of 50 ms, the first of them with the tone: a step's sound at
// the start of the animation. Applied again, it starts over.
const char* const STEP_FIRST_ANIMATION = "GANI0001\nSPRITE 1 pic.png 0 0 8 8 body\nSINGLEDIRECTION\nLOOP\n"
										 "CONTINUOUS\nANI\nPLAYSOUND tone.wav 0 0\n1 0 0\n1 0 0\nANIEND\n";

class EngineSoundTest : public test::EngineTest
{
protected:
	void SetUp() override
	{
		test::EngineTest::SetUp();
		sandbox->folder().write("tone.wav", toneWav(0.3));
		sandbox->folder().write("walk.gani", SOUNDING_ANIMATION);
		sandbox->folder().write("stepfirst.gani", STEP_FIRST_ANIMATION);
	}

	CSceneObject* makeWalker(irr::u32 id, float x, float y, const char* animation = "walk.gani")
	{
		CSceneObject* object = CObjectManager::getInstance()->createSceneObject(id, ESOT_ANIMATED, "");
		object->getEngineAttribute(EP_IMAGE)->setString(animation);
		object->getEngineAttribute(EP_X)->setFloat(x);
		object->getEngineAttribute(EP_Y)->setFloat(y);
		engine().addSceneObject(object);
		return object;
	}

	CAnimatedSpriteSceneNode* nodeOf(CSceneObject* object)
	{
		const auto found = engine().getSceneNodes().find(object);
		return found == engine().getSceneNodes().end() ? nullptr
													   : static_cast<CAnimatedSpriteSceneNode*>(found->second);
	}

	// Steps the node's animation to its next frame, each time a second later.
	void stepFrame(CAnimatedSpriteSceneNode* node)
	{
		if (clock == 0)
			clock = engine().getDevice()->getTimer()->getTime();
		clock += 1000;
		node->OnAnimate(clock);
	}

	irr::u32 clock = 0;

	audio::IAudioSource* tone() { return engine().getSound("tone.wav"); }
};

} // namespace

TEST_F(EngineSoundTest, CacheMakesEachSoundOnceAndKeepsFailures)
{
	ASSERT_NE(engine().getAudioManager(), nullptr);
	sandbox->folder().write("tune.ogg", asText(test::readFixture("mono_440.ogg")));
	sandbox->folder().write("noextension", toneWav(0.1));
	sandbox->folder().write("broken.wav", "not a wave file at all, not even close to one");
	sandbox->folder().write("loud.WAV", toneWav(0.1));
	sandbox->folder().write("sounds/step.wav", toneWav(0.1));

	struct Case
	{
		const char* name;
		bool made;
	} cases[] = {
		{"tone.wav", true},
		{"tune.ogg", true},
		{"sounds/step.wav", true},
		{"SOUNDS\\STEP.wav", true},
		{"missing.wav", false},
		{"noextension", false},
		{"broken.wav", false},
		// The extension picks the decoder exactly as written.
		{"loud.WAV", false},
	};
	for (const Case& c : cases)
	{
		audio::IAudioSource* first = engine().getSound(c.name);
		EXPECT_EQ(first != nullptr, c.made) << c.name;
		EXPECT_EQ(engine().getSound(c.name), first) << c.name;
		if (first)
		{
			EXPECT_EQ(engine().getAudioManager()->findSource(c.name), first) << c.name;
		}
	}
	// A failure is remembered: the file is not read again.
	sandbox->folder().write("broken.wav", toneWav(0.1));
	EXPECT_EQ(engine().getSound("broken.wav"), nullptr);
}

// Each sound played keeps one of the device's sources: past them a sound is
// refused with one line, not with error lines of its own.
TEST_F(EngineSoundTest, SoundsPastTheDeviceSourcesAreRefusedWithOneLine)
{
	ASSERT_NE(engine().getAudioManager(), nullptr);
	test::CAudioLogCapture audioLog(audio::ELL_INFO);
	test::CLogLines lines;
	engine().getDevice()->setEventReceiver(&lines);
	forgetRefusals();
	const std::string wav = toneWav(0.01);
	const int files = 300;
	for (int i = 0; i < files; ++i)
		sandbox->folder().write("s" + std::to_string(i) + ".wav", wav);
	int made = 0;
	for (int i = 0; i < files; ++i)
		made += engine().getSound(("s" + std::to_string(i) + ".wav").c_str()) != nullptr;
	engine().getDevice()->setEventReceiver(nullptr);
	// OpenAL Soft's device makes 256 sources.
	EXPECT_EQ(made, 256);
	EXPECT_EQ(audioLog.countStartingWith("Failed to create Audio Source"), 0u);
	EXPECT_EQ(audioLog.countStartingWith("OpenAL Error"), 0u);
	EXPECT_EQ(lines.count("core: Audio Source (s256.wav) refused: the sound device plays at most 256 sounds"), 1u)
		<< testing::PrintToString(lines.lines);
	EXPECT_EQ(countRefusals("audio: sources"), static_cast<unsigned long>(files - 256));
}

class CPlayCount : public audio::ISourceEventHandler
{
public:
	void onUpdate() override {}
	void onRelease() override {}
	void onPlay() override { ++Plays; }
	void onStop() override {}
	void onPause() override {}
	int Plays = 0;
};

// Many objects that come to one sound in the same frame start its one source
// once: each start decodes the sound's first blocks anew.
TEST_F(EngineSoundTest, ManyObjectsAtOneSoundStartItOnceAFrame)
{
	std::vector<CAnimatedSpriteSceneNode*> nodes;
	for (irr::u32 id = 10; id < 60; ++id)
		nodes.push_back(nodeOf(makeWalker(id, static_cast<float>(id), 0.0f)));
	ASSERT_NE(tone(), nullptr);
	CPlayCount plays;
	tone()->registerEventHandler(&plays);
	const irr::u32 start = engine().getDevice()->getTimer()->getTime();
	struct Case
	{
		const char* name;
		irr::u32 atMs;
		int plays;
	};
	const Case cases[] = {
		{"every node comes to the sound's frame", start + 1000, 1},
		{"the silent frame", start + 2000, 1},
		{"the sound's frame once more", start + 3000, 2},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		for (CAnimatedSpriteSceneNode* node : nodes)
			node->OnAnimate(c.atMs);
		EXPECT_EQ(plays.Plays, c.plays);
	}
	// Heard from the first node that came to it, 3 pixels right of it.
	EXPECT_EQ(tone()->getPosition().x, nodes.front()->getAbsolutePosition().X + 3.0f);

	// A frame drawn at the same time as the one before starts it again.
	playFrameSound(tone(), false, irr::core::vector3df(), start + 3000);
	EXPECT_EQ(plays.Plays, 2);
	beginFrameSounds();
	playFrameSound(tone(), false, irr::core::vector3df(), start + 3000);
	EXPECT_EQ(plays.Plays, 3);
	tone()->unregisterEventHandler(&plays);
}

TEST_F(EngineSoundTest, ListenerStandsAtThePlayer)
{
	audio::IListener* listener = engine().getAudioManager()->getListener();
	engine().render();
	// No player: the listener is not moved.
	EXPECT_EQ(listener->getPosition(), audio::CVector3());

	CSceneObject* walker = makeWalker(7, 100.0f, 50.0f);
	engine().setPlayerObject(walker);
	nodeOf(walker)->setPosition(irr::core::vector3df(100.0f, 50.0f, 3.0f));
	nodeOf(walker)->updateAbsolutePosition();
	engine().render();
	EXPECT_EQ(listener->getPosition(), audio::CVector3(101.0f, 52.0f, 3.0f));

	// A player without a node hears from (1, 2, 0).
	CSceneObject* bare = CObjectManager::getInstance()->createSceneObject(8, ESOT_DEFAULT, "");
	engine().setPlayerObject(bare);
	engine().render();
	EXPECT_EQ(listener->getPosition(), audio::CVector3(1.0f, 2.0f, 0.0f));
	engine().setPlayerObject(nullptr);
}

TEST_F(EngineSoundTest, FrameSoundsPlayWhereTheirFrameShows)
{
	CSceneObject* other = makeWalker(3, 0.0f, 0.0f);
	CAnimatedSpriteSceneNode* node = nodeOf(other);
	ASSERT_NE(node, nullptr);
	node->setPosition(irr::core::vector3df(40.0f, 30.0f, 0.0f));
	node->updateAbsolutePosition();
	ASSERT_NE(tone(), nullptr);

	// Frame 0 has no sound: a fresh start stays silent.
	EXPECT_FALSE(tone()->isPlaying());
	stepFrame(node);
	EXPECT_TRUE(tone()->isPlaying());
	EXPECT_EQ(tone()->getPosition(), audio::CVector3(43.0f, 34.0f, 10.0f));
	EXPECT_FLOAT_EQ(tone()->getStrength(), 20.0f);
	EXPECT_FLOAT_EQ(tone()->getVolume(), 1.0f);
	EXPECT_FLOAT_EQ(tone()->getMinDistance(), 5.0f);

	// The player's own animation plays flat, from the listener's place.
	engine().setPlayerObject(other);
	stepFrame(node);
	stepFrame(node);
	EXPECT_TRUE(tone()->isPlaying());
	EXPECT_EQ(tone()->getPosition(), audio::CVector3());
	engine().setPlayerObject(nullptr);
}

TEST_F(EngineSoundTest, TheFirstFrameSoundsWhenItIsFirstShown)
{
	CSceneObject* walker = makeWalker(4, 0.0f, 0.0f, "stepfirst.gani");
	CAnimatedSpriteSceneNode* node = nodeOf(walker);
	ASSERT_NE(node, nullptr);
	ASSERT_NE(tone(), nullptr);
	CAnimation* stepFirst = engine().getAnimation("stepfirst.gani");
	CAnimation* silent = engine().getAnimation("walk.gani");
	// As the script's set_animation does it.
	const auto setAnimation = [&](CAnimation* animation) {
		animation->applyToNode(node, walker);
		node->setStopped(false);
	};
	struct Case
	{
		const char* name;
		std::function<void()> before;
		bool heard;
		irr::u32 frame;
	};
	const Case cases[] = {
		{"the object comes into the scene", [] {}, true, 0},
		{"the frame shows on", [] {}, false, 0},
		{"a restart on the first frame", [&] { setAnimation(stepFirst); }, false, 0},
		{"the second frame", [&] { stepFrame(node); }, false, 1},
		{"a restart from the second frame", [&] { setAnimation(stepFirst); }, true, 0},
		{"another animation and back",
			[&] {
				setAnimation(silent);
				setAnimation(stepFirst);
			},
			true, 0},
		{"a stopped node",
			[&] {
				setAnimation(silent);
				stepFirst->applyToNode(node, walker);
			},
			false, 0},
		{"the stopped node plays", [&] { node->setStopped(false); }, true, 0},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		if (tone()->isPlaying())
			tone()->stop();
		c.before();
		// The frame is drawn: the scene animates its nodes first.
		engine().render();
		EXPECT_EQ(tone()->isPlaying(), c.heard);
		EXPECT_EQ(node->getCurrentFrame(), c.frame);
	}
}

TEST_F(EngineSoundTest, CapturedFirstFrameSoundStartsWithTheAnimation)
{
	const char* capturePath = std::getenv("WAVEOUT");
	if (!capturePath || !std::getenv("ALSOFT_CONF"))
		GTEST_SKIP() << "runs only as registered with the wave writer";
	ASSERT_TRUE(alcIsExtensionPresent(alcGetContextsDevice(alcGetCurrentContext()), "ALC_SOFT_device_clock"));
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
	while (test::mixedSeconds() < 0.4 && std::chrono::steady_clock::now() < deadline)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));

	// The player's object comes into the scene and is drawn: its animation
	// starts on the frame with the step.
	const double shownFrom = test::mixedSeconds();
	CSceneObject* walker = makeWalker(5, 0.0f, 0.0f, "stepfirst.gani");
	engine().setPlayerObject(walker);
	engine().render();
	const double shownTo = test::mixedSeconds();
	ASSERT_GT(shownFrom, 0.0) << "the device's clock does not run";
	const double end = shownTo + 0.6;
	while (test::mixedSeconds() < end && std::chrono::steady_clock::now() < deadline)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	engine().setPlayerObject(nullptr);
	sandbox->tearDown();

	std::ifstream in(capturePath, std::ios::binary);
	const test::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	const size_t frames = bytes.size() > 68 ? (bytes.size() - 68) / 4 : 0;
	size_t firstLoud = frames;
	for (size_t i = 0; i < frames && firstLoud == frames; ++i)
	{
		int16_t left;
		std::memcpy(&left, &bytes[68 + 4 * i], 2);
		if (std::abs(left) > 1000)
			firstLoud = i;
	}
	ASSERT_LT(firstLoud, frames) << "the first step was not heard";
	const double onset = double(firstLoud) / 44100.0;
	EXPECT_GE(onset, shownFrom - 0.05) << "shown at " << shownFrom << " to " << shownTo;
	EXPECT_LT(onset, shownTo + 0.3) << "shown at " << shownFrom << " to " << shownTo;
}

TEST_F(EngineSoundTest, WithoutADeviceTheGameSaysOnceThatItIsSilent)
{
	const char* drivers = std::getenv("ALSOFT_DRIVERS");
	if (!drivers || std::string(drivers) != "bogus")
		GTEST_SKIP() << "runs only as registered without a sound device";
	test::CAudioLogCapture log(audio::ELL_INFO);
	sandbox.reset();
	sandbox.reset(new test::CEngineSandbox({{"tone.wav", toneWav(0.1)},
		{"tune.ogg", asText(test::readFixture("mono_440.ogg"))}, {"stepfirst.gani", STEP_FIRST_ANIMATION}}));
	ASSERT_TRUE(sandbox->started());
	EXPECT_EQ(engine().getAudioManager(), nullptr);
	// The manager that found no device went, and its thread with it.
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	while (test::audioThreadSleeps() >= 0 && std::chrono::steady_clock::now() < deadline)
		std::this_thread::sleep_for(std::chrono::milliseconds(1));
	EXPECT_EQ(test::audioThreadSleeps(), -1) << "the audio thread still runs";

	struct Case
	{
		const char* name;
		std::function<void()> ask;
	} cases[] = {
		{"a wave file", [this] { EXPECT_EQ(engine().getSound("tone.wav"), nullptr); }},
		{"an Ogg file", [this] { EXPECT_EQ(engine().getSound("tune.ogg"), nullptr); }},
		{"a frame's sound",
			[this] {
				makeWalker(3, 0.0f, 0.0f, "stepfirst.gani");
				engine().render();
			}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		c.ask();
		EXPECT_EQ(log.countStartingWith("Failed to create Audio Source"), 0u);
	}
	EXPECT_EQ(log.countStartingWith("No sound device was found; the game runs without sound."), 1u);
}

TEST_F(EngineSoundTest, CapturedFrameSoundStartsWithItsFrame)
{
	const char* capturePath = std::getenv("WAVEOUT");
	if (!capturePath || !std::getenv("ALSOFT_CONF"))
		GTEST_SKIP() << "runs only as registered with the wave writer";
	CSceneObject* walker = makeWalker(5, 0.0f, 0.0f);
	engine().setPlayerObject(walker);
	ASSERT_NE(tone(), nullptr);

	// Silence first, then the frame with the sound. The step's time is read
	// in the device's clock, the one the file's samples count in, so a slow
	// start or a busy machine moves both alike.
	ASSERT_TRUE(alcIsExtensionPresent(alcGetContextsDevice(alcGetCurrentContext()), "ALC_SOFT_device_clock"));
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
	while (test::mixedSeconds() < 0.4 && std::chrono::steady_clock::now() < deadline)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	const double stepFrom = test::mixedSeconds();
	stepFrame(nodeOf(walker));
	const double stepTo = test::mixedSeconds();
	ASSERT_GT(stepFrom, 0.0) << "the device's clock does not run";
	// The tone is written whole before the file closes.
	const double end = stepTo + 0.6;
	while (test::mixedSeconds() < end && std::chrono::steady_clock::now() < deadline)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	engine().setPlayerObject(nullptr);
	// The engine's teardown closes the device, which completes the file.
	sandbox->tearDown();

	std::ifstream in(capturePath, std::ios::binary);
	const test::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	// Stereo 16-bit at 44100 Hz from byte 68 (the writer's extensible header).
	const size_t frames = bytes.size() > 68 ? (bytes.size() - 68) / 4 : 0;
	size_t firstLoud = frames;
	double sumLeft = 0, sumRight = 0;
	for (size_t i = 0; i < frames; ++i)
	{
		int16_t left, right;
		std::memcpy(&left, &bytes[68 + 4 * i], 2);
		std::memcpy(&right, &bytes[68 + 4 * i + 2], 2);
		if (std::abs(left) > 1000 && firstLoud == frames)
			firstLoud = i;
		sumLeft += double(left) * left;
		sumRight += double(right) * right;
	}
	ASSERT_LT(firstLoud, frames) << "nothing was heard";
	const double onset = double(firstLoud) / 44100.0;
	// The onset comes with the step or a little after it, never before.
	EXPECT_GE(onset, stepFrom - 0.05) << "step at " << stepFrom << " to " << stepTo;
	EXPECT_LT(onset, stepTo + 0.3) << "step at " << stepFrom << " to " << stepTo;
	EXPECT_NEAR(sumLeft / sumRight, 1.0, 0.05);
}

} // namespace orv
