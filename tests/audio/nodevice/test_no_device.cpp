// Without any audio device (ALSOFT_DRIVERS=bogus): managers are still made,
// every sound fails, and the audio thread comes and goes with the managers.

#include <gtest/gtest.h>

#include <dirent.h>

#include <chrono>
#include <thread>

#include "AudioTestSupport.h"
#include "audio/IAudioManager.h"

using namespace orv::audio;
using orv::test::Bytes;
using orv::test::CAudioLogCapture;
using orv::test::makeWav;
using orv::test::SAudioLogLine;
using orv::test::SWavSpec;

namespace {

int threadCount()
{
	int count = 0;
	if (DIR* tasks = opendir("/proc/self/task"))
	{
		while (const dirent* entry = readdir(tasks))
			if (entry->d_name[0] != '.')
				++count;
		closedir(tasks);
	}
	return count;
}

// The count once it settles: a joined thread may still be listed for a
// moment while the system reaps it. A count that stays off fails.
int settledThreadCount(int expected)
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	while (threadCount() != expected && std::chrono::steady_clock::now() < deadline)
		std::this_thread::sleep_for(std::chrono::milliseconds(1));
	return threadCount();
}

} // namespace

TEST(AudioNoDevice, ManagerIsMadeAndEverySoundFails)
{
	CAudioLogCapture log;
	IAudioManager* manager = createAudioManager();
	ASSERT_NE(manager, nullptr);
	EXPECT_TRUE(log.has(ELL_ERROR, "Failed to Create OpenAL Device."));
	// Said once and plainly, not as an error state OpenAL keeps after the failed open.
	EXPECT_EQ(log.countStartingWith("No sound device was found; the game runs without sound."), 1u);
	EXPECT_EQ(log.countStartingWith("OpenAL Error: "), 0u);
	for (const SAudioLogLine& line : log.lines())
		EXPECT_EQ(line.message.find("(null)"), std::string::npos) << line.message;

	const Bytes wav = makeWav(SWavSpec());
	EXPECT_EQ(manager->createFromMemory("boom", wav.data(), static_cast<int>(wav.size()), "wav"), nullptr);
	EXPECT_TRUE(log.has(ELL_ERROR, "Failed to create Audio Source (boom): Error creating audio source."));

	// The listener takes its place without a context.
	manager->getListener()->setPosition(CVector3(1.0f, 2.0f, 0.0f));
	EXPECT_EQ(manager->getListener()->getPosition(), CVector3(1.0f, 2.0f, 0.0f));

	manager->releaseAllSources();
	manager->shutdown();
	destroyAudioManager(manager);
	EXPECT_EQ(log.countStartingWith("Manager successfully shutdown."), 0u);
}

TEST(AudioNoDevice, OneThreadWhileAnyManagerLives)
{
	// A first round, so that helper threads of the runtime (a sanitizer's)
	// already exist when counting starts.
	destroyAudioManager(createAudioManager());
	const int before = settledThreadCount(threadCount());
	IAudioManager* first = createAudioManager();
	EXPECT_EQ(settledThreadCount(before + 1), before + 1);
	IAudioManager* second = createAudioManager();
	EXPECT_EQ(settledThreadCount(before + 1), before + 1);
	destroyAudioManager(first);
	EXPECT_EQ(settledThreadCount(before + 1), before + 1);
	destroyAudioManager(second);
	EXPECT_EQ(settledThreadCount(before), before);

	// Made again at once after the last went: still only one.
	for (int i = 0; i < 20; ++i)
	{
		IAudioManager* again = createAudioManager();
		EXPECT_EQ(settledThreadCount(before + 1), before + 1);
		destroyAudioManager(again);
		EXPECT_EQ(settledThreadCount(before), before);
	}
	destroyAudioManager(nullptr);
}

TEST(AudioNoDevice, DestroyingTwiceIsIgnored)
{
	IAudioManager* keep = createAudioManager();
	IAudioManager* manager = createAudioManager();
	destroyAudioManager(manager);
	// The second call sees a manager the set no longer holds.
	destroyAudioManager(manager);
	destroyAudioManager(keep);
}

TEST(AudioNoDevice, TheThreadSleepsWhileThereIsNothingToPlay)
{
	CAudioLogCapture log;
	IAudioManager* manager = createAudioManager();
	ASSERT_NE(manager, nullptr);
	EXPECT_FALSE(hasOpenDevice(manager));
	// It has nothing to stream and never will: it waits, it does not poll.
	EXPECT_TRUE(orv::test::audioThreadStaysAsleep());
	const long asleep = orv::test::audioThreadSleeps();
	const Bytes wav = makeWav(SWavSpec());
	EXPECT_EQ(manager->createFromMemory("boom", wav.data(), static_cast<int>(wav.size()), "wav"), nullptr);
	std::this_thread::sleep_for(std::chrono::milliseconds(200));
	EXPECT_EQ(orv::test::audioThreadSleeps(), asleep) << "woke without a source to stream";
	destroyAudioManager(manager);
	EXPECT_FALSE(hasOpenDevice(nullptr));
}
