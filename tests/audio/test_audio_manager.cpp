// The manager on OpenAL's null device, which opens and mixes without sound.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AudioTestSupport.h"
#include "audio/CAudioManager.h"
#include "audio/IAudioManager.h"
#include "audio/IPluginManager.h"

using namespace orv::audio;
using orv::test::Bytes;
using orv::test::CAudioLogCapture;
using orv::test::makeWav;
using orv::test::readFixture;
using orv::test::SWavSpec;

namespace {

class AudioManager : public testing::Test
{
protected:
	void SetUp() override { Manager = createAudioManager(); }
	void TearDown() override { destroyAudioManager(Manager); }

	IAudioSource* held(IAudioSource* source) { return Held.hold(source); }
	IAudioSource* fromMemory(const char* name, const Bytes& bytes, const char* extension)
	{
		return held(Manager->createFromMemory(name, bytes.data(), static_cast<int>(bytes.size()), extension));
	}

	IAudioManager* Manager = nullptr;
	orv::test::CHeldSources Held;
};

// Records which names the manager asked for, and gives nothing.
class CRecordingDataSourceFactory : public IDataSourceFactory
{
public:
	CRecordingDataSourceFactory(std::vector<std::string>& calls, const char* name) : Calls(calls), Name(name) {}
	IDataSource* createDataSource(const char*, bool) override
	{
		Calls.push_back(Name);
		return nullptr;
	}

private:
	std::vector<std::string>& Calls;
	std::string Name;
};

} // namespace

TEST_F(AudioManager, OpensTheNullDeviceWithTheBuiltInRegistries)
{
	ASSERT_NE(Manager, nullptr);
	for (const char* extension : {"ogg", "wav", "raw"})
		EXPECT_TRUE(Manager->isAudioDecoderRegistered(extension)) << extension;
	EXPECT_FALSE(Manager->isAudioDecoderRegistered("OGG"));
	EXPECT_TRUE(Manager->isDataSourceRegistered("FileSystem"));
	EXPECT_NE(Manager->getListener(), nullptr);
	EXPECT_FALSE(Manager->initialize(nullptr, -1, 4));
	// No plug-in lies beside the tests.
	EXPECT_EQ(getPluginManager()->getPluginCount(), 0u);
}

TEST_F(AudioManager, TheThreadWakesOnlyWhileThereIsASourceToStream)
{
	ASSERT_TRUE(hasOpenDevice(Manager));
	const Bytes wav = makeWav(SWavSpec());
	IAudioSource* source = nullptr;
	struct Case
	{
		const char* name;
		std::function<void()> change;
		bool streams;
	} cases[] = {
		{"no source yet", [] {}, false},
		{"a source", [&] { source = fromMemory("tone", wav, "wav"); }, true},
		{"the source released", [&] { Manager->releaseSource(source); }, false},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const long before = orv::test::audioThreadSleeps();
		c.change();
		if (c.streams)
			EXPECT_TRUE(orv::test::audioThreadWakes(before, 20));
		else
			EXPECT_TRUE(orv::test::audioThreadStaysAsleep());
	}
	EXPECT_NE(source, nullptr);
}

TEST_F(AudioManager, CreateFromMemoryFailures)
{
	const Bytes wav = makeWav(SWavSpec());
	const Bytes garbage(64, 'x');
	struct Case
	{
		const char* name;
		const char* data;
		int length;
		const char* extension;
		const char* message;
	} cases[] = {
		{"a", wav.data(), static_cast<int>(wav.size()), "mp3",
			"Failed to create Audio Source (a): Codec (.mp3) is not supported."},
		{"b", wav.data(), static_cast<int>(wav.size()), "WAV",
			"Failed to create Audio Source (b): Codec (.WAV) is not supported."},
		{"c", nullptr, 100, "wav", "Failed to create Audio Source (c): Audio data is corrupt."},
		{"d", wav.data(), 0, "wav", "Failed to create Audio Source (d): Audio data is corrupt."},
		{"e", wav.data(), -5, "ogg", "Failed to create Audio Source (e): Audio data is corrupt."},
		{"f", garbage.data(), 64, "wav",
			"Failed to create Audio Source (f): Audio data could not be decoded by (.wav) decoder."},
		{"g", garbage.data(), 64, "ogg",
			"Failed to create Audio Source (g): Audio data could not be decoded by (.ogg) decoder."},
	};
	for (const Case& c : cases)
	{
		CAudioLogCapture log;
		EXPECT_EQ(Manager->createFromMemory(c.name, c.data, c.length, c.extension), nullptr) << c.name;
		EXPECT_TRUE(log.has(ELL_ERROR, c.message)) << c.name;
		EXPECT_EQ(Manager->findSource(c.name), nullptr) << c.name;
	}

	CAudioLogCapture log;
	EXPECT_EQ(Manager->createFromRaw("r", wav.data(), static_cast<int>(wav.size()), 0, MONO16), nullptr);
	EXPECT_TRUE(
		log.has(ELL_ERROR, "Failed to create Audio Source (r): Audio data could not be decoded by (.raw) decoder."));
}

TEST_F(AudioManager, SuccessesAreLogged)
{
	CAudioLogCapture log;
	EXPECT_NE(fromMemory("wave", makeWav(SWavSpec()), "wav"), nullptr);
	EXPECT_NE(fromMemory("tune", readFixture("mono_440.ogg"), "ogg"), nullptr);
	const Bytes pcm(1000, 0);
	EXPECT_NE(held(Manager->createFromRaw("pcm", pcm.data(), 1000, 8000, MONO8)), nullptr);
	EXPECT_TRUE(log.has(ELL_INFO, "Audio Source (wave) successfully created from memory."));
	EXPECT_TRUE(log.has(ELL_INFO, "Audio Source (tune) successfully created from memory."));
	EXPECT_TRUE(log.has(ELL_INFO, "Audio Source (pcm) successfully created from raw data."));
}

TEST_F(AudioManager, NameIndex)
{
	const Bytes wav = makeWav(SWavSpec());
	IAudioSource* earlier = fromMemory("boom", wav, "wav");
	IAudioSource* later = fromMemory("boom", wav, "wav");
	IAudioSource* unnamed = fromMemory("", wav, "wav");
	ASSERT_NE(earlier, nullptr);
	ASSERT_NE(later, nullptr);
	ASSERT_NE(unnamed, nullptr);
	EXPECT_EQ(Manager->findSource("boom"), later);
	EXPECT_EQ(Manager->findSource(""), nullptr);

	Manager->releaseSource(later);
	EXPECT_EQ(Manager->findSource("boom"), nullptr);
	EXPECT_TRUE(earlier->isValid());
	Manager->releaseSource(nullptr);

	Manager->releaseAllSources();
	EXPECT_EQ(Manager->findSource("boom"), nullptr);
}

TEST_F(AudioManager, CreateFromFiles)
{
	CAudioLogCapture log;
	const std::string path = orv::test::fixturePath("mono_440.ogg");
	for (bool stream : {false, true})
	{
		IAudioSource* source = held(Manager->create("file", path.c_str(), stream));
		ASSERT_NE(source, nullptr);
		EXPECT_NEAR(source->getTotalTime(), 1.0f, 0.01f);
	}
	EXPECT_EQ(
		log.countStartingWith("Audio Source (file) created from file " + path + " from Data Source FileSystem."), 2u);

	struct Case
	{
		std::string fileName;
		std::string message;
	} cases[] = {
		{"/no/such.ogg", "Failed to create Audio Source (x): File could not be found (./no/such.ogg)."},
		{"sound.flac", "Failed to create Audio Source (x): No decoder could be found for (.flac)."},
		{"noextension", "Failed to create Audio Source (x): No decoder could be found for (.)."},
	};
	for (const Case& c : cases)
	{
		EXPECT_EQ(Manager->create("x", c.fileName.c_str(), false), nullptr) << c.fileName;
		EXPECT_TRUE(log.has(ELL_ERROR, c.message)) << c.fileName;
	}
}

TEST_F(AudioManager, DataSourcesAreTriedHighestPriorityFirst)
{
	std::vector<std::string> calls;
	CRecordingDataSourceFactory low(calls, "low"), high(calls, "high"), middle(calls, "middle");
	Manager->unregisterDataSource("FileSystem");
	Manager->registerDataSource(&low, "low", 0);
	Manager->registerDataSource(&high, "high", 5);
	Manager->registerDataSource(&middle, "middle", 2);
	EXPECT_EQ(Manager->create("x", "a.wav", false), nullptr);
	EXPECT_EQ(calls, (std::vector<std::string>{"high", "middle", "low"}));

	calls.clear();
	Manager->unregisterDataSource("middle");
	EXPECT_FALSE(Manager->isDataSourceRegistered("middle"));
	EXPECT_EQ(Manager->getDataSourceFactory("high"), &high);
	EXPECT_EQ(Manager->create("x", "a.wav", false), nullptr);
	EXPECT_EQ(calls, (std::vector<std::string>{"high", "low"}));
}

TEST_F(AudioManager, RegistryMessages)
{
	CAudioLogCapture log;
	IAudioDecoderFactory* wav = Manager->getAudioDecoderFactory("wav");
	Manager->registerAudioDecoder(wav, "wave");
	Manager->unregisterAudioDecoder("wave");
	Manager->unregisterAudioDecoder("wave");
	Manager->registerDataSource(Manager->getDataSourceFactory("FileSystem"), "Disk", 3);
	Manager->unregisterDataSource("Disk");
	Manager->unregisterDataSource("Disk");
	EXPECT_TRUE(log.has(ELL_INFO, "Audio Decoder for extension .wave registered."));
	EXPECT_EQ(log.countStartingWith("Audio Decoder for extension .wave unregistered."), 1u);
	EXPECT_TRUE(log.has(ELL_INFO, "Data Source named Disk registered (Priority 3)."));
	EXPECT_EQ(log.countStartingWith("Data Source named Disk unregistered."), 1u);
	EXPECT_EQ(Manager->getAudioDecoderFactory("wave"), nullptr);

	Manager->unregisterAllAudioDecoders();
	Manager->unregisterAllDataSources();
	EXPECT_FALSE(Manager->isAudioDecoderRegistered("ogg"));
	EXPECT_FALSE(Manager->isDataSourceRegistered("FileSystem"));
}

TEST_F(AudioManager, ShutdownTwiceShutsDownOnce)
{
	CAudioLogCapture log;
	IAudioSource* source = fromMemory("s", makeWav(SWavSpec()), "wav");
	ASSERT_NE(source, nullptr);
	Manager->shutdown();
	Manager->shutdown();
	EXPECT_EQ(log.countStartingWith("Manager successfully shutdown."), 1u);
	EXPECT_EQ(Manager->findSource("s"), nullptr);
	// Nothing is made without a context, and nothing crashes.
	EXPECT_EQ(fromMemory("t", makeWav(SWavSpec()), "wav"), nullptr);
	EXPECT_TRUE(log.has(ELL_ERROR, "Failed to create Audio Source (t): Error creating audio source."));
}

TEST_F(AudioManager, DeviceNames)
{
	ASSERT_GE(Manager->getDeviceCount(), 1u);
	const std::string last = Manager->getDeviceName(Manager->getDeviceCount() - 1);
	EXPECT_FALSE(last.empty());
	EXPECT_EQ(std::string(Manager->getDeviceName(7)), last);
	EXPECT_STRNE(Manager->getDefaultDeviceName(), "");

	// A manager that never enumerated has no names.
	CAudioManager* bare = new CAudioManager();
	EXPECT_EQ(bare->getDeviceCount(), 0u);
	EXPECT_STREQ(bare->getDeviceName(0), "");
	EXPECT_STREQ(bare->getDefaultDeviceName(), "");
	delete bare;
}
