// Sources on OpenAL's null device, which plays in real time without sound;
// the audio thread streams them as in the game.

#include <gtest/gtest.h>

#include <AL/al.h>
#include <AL/alc.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "AudioTestSupport.h"
#include "audio/CAudioSource.h"
#include "audio/IAudioManager.h"

using namespace orv::audio;
using orv::test::Bytes;
using orv::test::CAudioLogCapture;
using orv::test::makeWav;
using orv::test::SWavSpec;

namespace {

bool waitFor(const std::function<bool()>& condition, int milliseconds = 30000)
{
	const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
	while (std::chrono::steady_clock::now() < end)
	{
		if (condition())
			return true;
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	return condition();
}

struct SCountingHandler : ISourceEventHandler
{
	// Counted on the audio thread too.
	std::atomic<int> updates{0}, releases{0}, plays{0}, stops{0}, pauses{0};
	void onUpdate() override { ++updates; }
	void onRelease() override { ++releases; }
	void onPlay() override { ++plays; }
	void onStop() override { ++stops; }
	void onPause() override { ++pauses; }
};

// A decoder that answers every read the same way and cannot seek.
class CFixedDecoder : public IAudioDecoder
{
public:
	explicit CFixedDecoder(int answer) : IAudioDecoder(nullptr), Answer(answer) {}
	AudioFormat getFormat() override { return MONO16; }
	int getFrequency() override { return 8000; }
	bool isSeekable() override { return false; }
	bool isValid() override { return true; }
	int read(void* output, int bytes) override
	{
		++Reads;
		if (Answer <= 0)
			return Answer;
		const int count = Answer < bytes ? Answer : bytes;
		std::memset(output, 0, static_cast<size_t>(count));
		return count;
	}
	bool setPosition(int, bool) override { return false; }
	bool seek(float, bool) override { return false; }
	float getTotalTime() override { return 0.0f; }
	int getTotalSize() override { return 0; }
	int getCompressedSize() override { return 0; }
	float getCurrentTime() override { return 0.0f; }
	int getCurrentPosition() override { return 0; }
	int getCurrentCompressedPosition() override { return 0; }

	int Answer;
	int Reads = 0;
};

class AudioSource : public testing::Test
{
protected:
	void SetUp() override
	{
		Manager = createAudioManager();
		ASSERT_NE(alcGetCurrentContext(), nullptr);
	}
	void TearDown() override { destroyAudioManager(Manager); }

	IAudioSource* held(IAudioSource* source) { return Held.hold(source); }
	IAudioSource* wav(const SWavSpec& spec)
	{
		const Bytes bytes = makeWav(spec);
		return held(Manager->createFromMemory("wav", bytes.data(), static_cast<int>(bytes.size()), "wav"));
	}
	// 8-bit mono at 8000 Hz: one second is 8000 bytes.
	IAudioSource* raw(int seconds)
	{
		const Bytes bytes(static_cast<size_t>(8000 * seconds), 0);
		return held(Manager->createFromRaw("raw", bytes.data(), static_cast<int>(bytes.size()), 8000, MONO8));
	}
	// A source over a decoder of the test's, outside the manager.
	CAudioSource* over(IAudioDecoder* decoder) { return new CAudioSource(decoder, alcGetCurrentContext()); }

	IAudioManager* Manager = nullptr;
	orv::test::CHeldSources Held;
};

SWavSpec shortSound()
{
	SWavSpec spec;
	spec.bits = 8;
	spec.rate = 8000;
	spec.frames = 400; // 50 ms
	return spec;
}

} // namespace

TEST_F(AudioSource, ShortSoundPlaysToItsEndOnceAndRewinds)
{
	CAudioLogCapture log(ELL_DEBUG);
	IAudioSource* source = wav(shortSound());
	ASSERT_NE(source, nullptr);
	SCountingHandler handler;
	source->registerEventHandler(&handler);
	EXPECT_TRUE(source->play2d(false));
	EXPECT_EQ(log.countStartingWith("Buffered 400 bytes of data into buffer"), 1u);
	EXPECT_EQ(log.countStartingWith("Buffered"), 1u);
	EXPECT_TRUE(waitFor([&] { return handler.stops == 1; }));
	std::this_thread::sleep_for(std::chrono::milliseconds(20));
	EXPECT_EQ(handler.stops, 1);
	EXPECT_EQ(handler.plays, 1);
	EXPECT_GT(handler.updates, 0);
	EXPECT_TRUE(source->isStopped());
	EXPECT_EQ(source->getCurrentPosition(), static_cast<int>(orv::test::wavDataOffset(shortSound())));

	// And again from the start.
	EXPECT_TRUE(source->play());
	EXPECT_TRUE(waitFor([&] { return handler.stops == 2; }));
	source->unregisterEventHandler(&handler);
}

TEST_F(AudioSource, LoopingFillsWholeBlocksAcrossTheEnd)
{
	CAudioLogCapture log(ELL_DEBUG);
	IAudioSource* source = wav(shortSound());
	source->loop(true);
	EXPECT_TRUE(source->isLooping());
	EXPECT_TRUE(source->play());
	EXPECT_EQ(log.countStartingWith("Buffered 65536 bytes of data into buffer"), 3u);
	EXPECT_GT(log.countStartingWith("Buffer looping."), 100u);
	std::this_thread::sleep_for(std::chrono::milliseconds(150));
	EXPECT_TRUE(source->isPlaying());
	source->stop();
	EXPECT_TRUE(source->isStopped());
	EXPECT_EQ(source->getCurrentPosition(), static_cast<int>(orv::test::wavDataOffset(shortSound())));
}

TEST_F(AudioSource, LoopOverNothingEnds)
{
	CFixedDecoder* decoder = new CFixedDecoder(0);
	CAudioSource* source = over(decoder);
	decoder->drop();
	ASSERT_TRUE(source->isValid());
	source->loop(true);
	EXPECT_TRUE(source->play());
	EXPECT_LT(decoder->Reads, 10);
	source->drop();
}

TEST_F(AudioSource, ThirdDecoderErrorStopsTheSource)
{
	CAudioLogCapture log(ELL_DEBUG);
	CFixedDecoder* decoder = new CFixedDecoder(-1);
	CAudioSource* source = over(decoder);
	decoder->drop();
	SCountingHandler handler;
	source->registerEventHandler(&handler);
	source->play();
	EXPECT_TRUE(log.has(ELL_DEBUG, "Decoder returned an error: -1 (1 of 3)"));
	EXPECT_TRUE(log.has(ELL_DEBUG, "Decoder returned an error: -1 (2 of 3)"));
	EXPECT_TRUE(log.has(ELL_DEBUG, "Decoder returned an error: -1 (3 of 3)"));
	EXPECT_EQ(log.countStartingWith("Decoder returned an error"), 3u);
	EXPECT_EQ(handler.stops, 1);
	EXPECT_FALSE(source->seek(1.0f, false));
	source->unregisterAllEventHandlers();
	source->drop();
}

TEST_F(AudioSource, PausedSourceResumesWithoutRefilling)
{
	IAudioSource* source = raw(30);
	ASSERT_NE(source, nullptr);
	SCountingHandler handler;
	source->registerEventHandler(&handler);
	source->play();
	const int queued = source->getCurrentPosition();
	EXPECT_EQ(queued, 3 * CAudioSource::BLOCK_SIZE);
	std::this_thread::sleep_for(std::chrono::milliseconds(50));
	source->pause();
	EXPECT_TRUE(source->isPaused());
	EXPECT_EQ(handler.pauses, 1);
	source->play();
	EXPECT_TRUE(source->isPlaying());
	EXPECT_EQ(source->getCurrentPosition(), queued);

	// Playing a playing source starts it over.
	source->play();
	EXPECT_TRUE(source->isPlaying());
	EXPECT_EQ(handler.stops, 1);
	EXPECT_EQ(handler.plays, 3);
	source->unregisterEventHandler(&handler);
}

TEST_F(AudioSource, SeekMovesTheDecoder)
{
	IAudioSource* source = raw(4);
	EXPECT_TRUE(source->seek(2.0f, false));
	EXPECT_FLOAT_EQ(source->getCurrentTime(), 2.0f);
	EXPECT_TRUE(source->seek(-1.0f, true));
	EXPECT_EQ(source->getCurrentPosition(), 8000);
	EXPECT_FLOAT_EQ(source->getTotalTime(), 4.0f);
	EXPECT_EQ(source->getTotalSize(), 32000);
	EXPECT_EQ(source->getCompressedSize(), 32000);
	EXPECT_EQ(source->getCurrentCompressedPosition(), 8000);
}

TEST_F(AudioSource, SettersReachOpenAL)
{
	IAudioSource* s = raw(1);
	ASSERT_NE(s, nullptr);
	struct Case
	{
		const char* name;
		std::function<void(float)> set;
		std::function<float()> get;
		float value;
		float expected;
	} cases[] = {
		{"rolloff", [s](float v) { s->setRolloffFactor(v); }, [s] { return s->getRolloffFactor(); }, 2.0f, 2.0f},
		{"strength", [s](float v) { s->setStrength(v); }, [s] { return s->getRolloffFactor(); }, 20.0f, 0.05f},
		{"strength back", [s](float v) { s->setStrength(v); }, [s] { return s->getStrength(); }, 4.0f, 4.0f},
		{"strength 0", [s](float v) { s->setStrength(v); }, [s] { return s->getStrength(); }, 0.0f, 0.0f},
		{"min distance", [s](float v) { s->setMinDistance(v); }, [s] { return s->getMinDistance(); }, 5.0f, 5.0f},
		{"max distance", [s](float v) { s->setMaxDistance(v); }, [s] { return s->getMaxDistance(); }, 100.0f, 100.0f},
		{"pitch", [s](float v) { s->setPitch(v); }, [s] { return s->getPitch(); }, 1.5f, 1.5f},
		{"volume", [s](float v) { s->setVolume(v); }, [s] { return s->getVolume(); }, 0.5f, 0.5f},
		{"min volume", [s](float v) { s->setMinVolume(v); }, [s] { return s->getMinVolume(); }, 0.1f, 0.1f},
		{"max volume", [s](float v) { s->setMaxVolume(v); }, [s] { return s->getMaxVolume(); }, 0.9f, 0.9f},
		{"inner cone", [s](float v) { s->setInnerConeAngle(v); }, [s] { return s->getInnerConeAngle(); }, 30.0f, 30.0f},
		{"outer cone", [s](float v) { s->setOuterConeAngle(v); }, [s] { return s->getOuterConeAngle(); }, 200.0f,
			200.0f},
		{"outer cone volume", [s](float v) { s->setOuterConeVolume(v); }, [s] { return s->getOuterConeVolume(); }, 0.3f,
			0.3f},
	};
	for (const Case& c : cases)
	{
		CAudioLogCapture log;
		c.set(c.value);
		EXPECT_FLOAT_EQ(c.get(), c.expected) << c.name;
		EXPECT_TRUE(log.lines().empty()) << c.name;
	}

	struct VectorCase
	{
		const char* name;
		std::function<void(const CVector3&)> set;
		std::function<CVector3()> get;
	} vectors[] = {
		{"position", [s](const CVector3& v) { s->setPosition(v); }, [s] { return s->getPosition(); }},
		{"velocity", [s](const CVector3& v) { s->setVelocity(v); }, [s] { return s->getVelocity(); }},
		{"direction", [s](const CVector3& v) { s->setDirection(v); }, [s] { return s->getDirection(); }},
	};
	for (const VectorCase& c : vectors)
	{
		c.set(CVector3(1.0f, -2.0f, 3.0f));
		EXPECT_EQ(c.get(), CVector3(1.0f, -2.0f, 3.0f)) << c.name;
	}

	// Doppler settings are no source parameters to this OpenAL: refused and
	// logged, nothing else.
	CAudioLogCapture log;
	s->setDopplerStrength(2.0f);
	s->setDopplerVelocity(CVector3(1.0f, 1.0f, 1.0f));
	EXPECT_EQ(log.countStartingWith("OpenAL Error: "), 2u);
	EXPECT_NE(s->getDopplerStrength(), 2.0f);
}

TEST_F(AudioSource, Play2dIsCentredAfterPlay3d)
{
	IAudioSource* source = raw(1);
	EXPECT_TRUE(source->play3d(CVector3(30.0f, 0.0f, 10.0f), 20.0f, true));
	EXPECT_EQ(source->getPosition(), CVector3(30.0f, 0.0f, 10.0f));
	EXPECT_FLOAT_EQ(source->getStrength(), 20.0f);
	EXPECT_TRUE(source->isLooping());
	source->stop();
	EXPECT_TRUE(source->play2d(false));
	EXPECT_EQ(source->getPosition(), CVector3());
	EXPECT_EQ(source->getVelocity(), CVector3());
	EXPECT_FALSE(source->isLooping());
}

TEST_F(AudioSource, MoveSetsTheStepAsVelocity)
{
	IAudioSource* source = raw(1);
	source->setPosition(CVector3(1.0f, 0.0f, 0.0f));
	source->move(CVector3(4.0f, 2.0f, 0.0f));
	EXPECT_EQ(source->getPosition(), CVector3(4.0f, 2.0f, 0.0f));
	EXPECT_EQ(source->getVelocity(), CVector3(3.0f, 2.0f, 0.0f));
}

TEST_F(AudioSource, ReleasedSourceIsNoLongerValid)
{
	SCountingHandler handler;
	IAudioSource* source = raw(1);
	source->registerEventHandler(&handler);
	source->registerEventHandler(&handler);
	source->play();
	source->release();
	EXPECT_FALSE(source->isValid());
	EXPECT_FALSE(source->isPlaying());
	EXPECT_EQ(handler.releases, 2);
	std::this_thread::sleep_for(std::chrono::milliseconds(10));
	source->unregisterEventHandler(&handler);
	source->unregisterEventHandler(nullptr);
	source->registerEventHandler(nullptr);
	Manager->releaseSource(source);
}

TEST_F(AudioSource, InvalidWithoutDecoderOrContext)
{
	CAudioSource* noDecoder = new CAudioSource(nullptr, alcGetCurrentContext());
	EXPECT_FALSE(noDecoder->isValid());
	noDecoder->drop();
	CFixedDecoder* decoder = new CFixedDecoder(0);
	CAudioSource* noContext = new CAudioSource(decoder, static_cast<ALCcontext*>(nullptr));
	EXPECT_FALSE(noContext->isValid());
	EXPECT_EQ(decoder->getReferenceCount(), 2);
	noContext->drop();
	EXPECT_EQ(decoder->getReferenceCount(), 1);
	decoder->drop();
}

TEST_F(AudioSource, ListenerKeepsAndSendsItsPlace)
{
	IListener* listener = Manager->getListener();
	EXPECT_FLOAT_EQ(listener->getMasterVolume(), 1.0f);
	EXPECT_EQ(listener->getDirection(), CVector3(0.0f, 0.0f, -1.0f));
	EXPECT_EQ(listener->getUpVector(), CVector3(0.0f, 1.0f, 0.0f));

	listener->setUpVector(CVector3(0.0f, 0.0f, 1.0f));
	ALfloat orientation[6] = {};
	alGetListenerfv(AL_ORIENTATION, orientation);
	const ALfloat expected[6] = {0.0f, 0.0f, -1.0f, 0.0f, 0.0f, 1.0f};
	for (int i = 0; i < 6; ++i)
		EXPECT_FLOAT_EQ(orientation[i], expected[i]) << i;
	listener->setDirection(CVector3(1.0f, 0.0f, 0.0f));
	alGetListenerfv(AL_ORIENTATION, orientation);
	EXPECT_FLOAT_EQ(orientation[0], 1.0f);
	EXPECT_FLOAT_EQ(orientation[5], 1.0f);

	listener->move(CVector3(10.0f, 0.0f, 0.0f));
	EXPECT_EQ(listener->getVelocity(), CVector3(10.0f, 0.0f, 0.0f));
	listener->move(CVector3(10.0f, 0.0f, 0.0f));
	EXPECT_EQ(listener->getVelocity(), CVector3());
	ALfloat x = 0, y = 0, z = 0;
	alGetListener3f(AL_POSITION, &x, &y, &z);
	EXPECT_FLOAT_EQ(x, 10.0f);

	listener->setPosition(CVector3(1.0f, 2.0f, 0.0f));
	alGetListener3f(AL_POSITION, &x, &y, &z);
	EXPECT_FLOAT_EQ(y, 2.0f);
	listener->setVelocity(CVector3(0.0f, 5.0f, 0.0f));
	alGetListener3f(AL_VELOCITY, &x, &y, &z);
	EXPECT_FLOAT_EQ(y, 5.0f);
	listener->setMasterVolume(0.25f);
	ALfloat gain = 0;
	alGetListenerf(AL_GAIN, &gain);
	EXPECT_FLOAT_EQ(gain, 0.25f);
	EXPECT_FLOAT_EQ(listener->getMasterVolume(), 0.25f);
}

TEST_F(AudioSource, LoopOverLessThanOneFrameEnds)
{
	SWavSpec oneByte;
	oneByte.frames = 0;
	oneByte.oddDataSize = true;
	// Brings the file to a RIFF size the decoder accepts.
	oneByte.listChunkFirst = true;
	const Bytes wavBytes = makeWav(oneByte);
	const char raw[3] = {1, 2, 3};
	struct Case
	{
		const char* name;
		std::function<IAudioSource*()> make;
	} cases[] = {
		{"WAV of one byte, 16-bit mono",
			[&] { return Manager->createFromMemory("w", wavBytes.data(), static_cast<int>(wavBytes.size()), "wav"); }},
		{"raw byte, 16-bit mono", [&] { return Manager->createFromRaw("r", raw, 1, 8000, MONO16); }},
		{"raw three bytes, 16-bit stereo", [&] { return Manager->createFromRaw("s", raw, 3, 8000, STEREO16); }},
	};
	for (const Case& c : cases)
	{
		CAudioLogCapture log(ELL_DEBUG);
		IAudioSource* source = held(c.make());
		ASSERT_NE(source, nullptr) << c.name;
		SCountingHandler handler;
		source->registerEventHandler(&handler);
		source->loop(true);
		EXPECT_TRUE(source->play()) << c.name;
		EXPECT_EQ(log.countStartingWith("Buffered"), 0u) << c.name;
		// The audio thread gets the source's lock and announces the end.
		EXPECT_TRUE(waitFor([&] { return handler.stops >= 1; }, 30000)) << c.name;
		source->unregisterEventHandler(&handler);
	}
}

// Registered first, it changes the handler list from inside a notification.
struct SListChangingHandler : SCountingHandler
{
	std::function<void()> onStopAction;
	void onStop() override
	{
		SCountingHandler::onStop();
		if (onStopAction)
			onStopAction();
	}
};

TEST_F(AudioSource, HandlersMayChangeTheListWhileNotified)
{
	struct Case
	{
		const char* name;
		std::function<void(IAudioSource*, SListChangingHandler&, SCountingHandler&)> change;
		int firstStops;
		int secondStops;
	} cases[] = {
		{"removes itself",
			[](IAudioSource* s, SListChangingHandler& self, SCountingHandler&) { s->unregisterEventHandler(&self); }, 1,
			2},
		{"removes the next one",
			[](IAudioSource* s, SListChangingHandler&, SCountingHandler& next) { s->unregisterEventHandler(&next); }, 2,
			0},
		{"removes every one",
			[](IAudioSource* s, SListChangingHandler&, SCountingHandler&) { s->unregisterAllEventHandlers(); }, 1, 0},
	};
	for (const Case& c : cases)
	{
		IAudioSource* source = raw(1);
		ASSERT_NE(source, nullptr);
		SListChangingHandler first;
		SCountingHandler second;
		first.onStopAction = [&] { c.change(source, first, second); };
		source->registerEventHandler(&first);
		source->registerEventHandler(&second);
		source->stop();
		source->stop();
		EXPECT_EQ(first.stops, c.firstStops) << c.name;
		EXPECT_EQ(second.stops, c.secondStops) << c.name;
		source->unregisterAllEventHandlers();
	}
}

TEST_F(AudioSource, ManagerStreamsASourceItsCallerDropped)
{
	const Bytes pcm(8000 * 30, 0);
	IAudioSource* source = Manager->createFromRaw("dropped", pcm.data(), static_cast<int>(pcm.size()), 8000, MONO8);
	ASSERT_NE(source, nullptr);
	SCountingHandler handler;
	source->registerEventHandler(&handler);
	EXPECT_TRUE(source->play());
	source->drop();
	// The audio thread goes on updating it on the manager's reference.
	const int before = handler.updates;
	EXPECT_TRUE(waitFor([&] { return handler.updates > before + 20; }, 30000));
	ASSERT_EQ(Manager->findSource("dropped"), source);
	Manager->releaseSource(source);
	EXPECT_EQ(Manager->findSource("dropped"), nullptr);
}

TEST_F(AudioSource, AnotherManagerLeavesThisOnesSourcesPlaying)
{
	CAudioLogCapture log;
	// 48 kHz 16-bit stereo: a block lasts a third of a second.
	const Bytes pcm(48000 * 4 * 10, 0);
	IAudioSource* source = held(
		Manager->createFromRaw("first", pcm.data(), static_cast<int>(pcm.size()), 48000, STEREO16));
	ASSERT_NE(source, nullptr);
	source->loop(true);
	ASSERT_TRUE(source->play());

	IAudioManager* second = createAudioManager();
	IAudioSource* other = second->createFromRaw("second", pcm.data(), static_cast<int>(pcm.size()), 48000, STEREO16);
	ASSERT_NE(other, nullptr);
	EXPECT_TRUE(other->play());
	destroyAudioManager(second);
	// A source that outlives its manager is no longer valid, and harmless.
	EXPECT_FALSE(other->isValid());
	EXPECT_FALSE(other->play());
	other->drop();

	EXPECT_TRUE(source->isPlaying());
	// Its blocks still finish and are refilled from the decoder.
	const int queued = source->getCurrentPosition();
	EXPECT_TRUE(waitFor([&] { return source->getCurrentPosition() != queued; }, 30000));
	source->stop();
	EXPECT_TRUE(source->play());
	EXPECT_TRUE(source->isPlaying());
	EXPECT_EQ(log.countStartingWith("OpenAL Error"), 0u);
}
