// What OpenAL mixed, written by its wave writer (ALSOFT_CONF with WAVEOUT set
// by the test's registration): one process per case, since the writer's
// configuration is read once per process.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "AudioTestSupport.h"
#include "audio/IAudioManager.h"

using namespace orv::audio;
using orv::test::Bytes;

namespace {

// The wave writer's extensible header puts the samples at byte 68.
const size_t WAVE_DATA_OFFSET = 68;
const int OUTPUT_RATE = 44100;

struct SCapture
{
	std::vector<int16_t> left;
	std::vector<int16_t> right;
};

// Reads the capture once the device is closed (which writes its sizes).
SCapture readCapture()
{
	const char* path = std::getenv("WAVEOUT");
	std::ifstream in(path ? path : "", std::ios::binary);
	const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	SCapture capture;
	for (size_t i = WAVE_DATA_OFFSET; i + 4 <= bytes.size(); i += 4)
	{
		int16_t l, r;
		std::memcpy(&l, &bytes[i], 2);
		std::memcpy(&r, &bytes[i + 2], 2);
		capture.left.push_back(l);
		capture.right.push_back(r);
	}
	return capture;
}

double rms(const std::vector<int16_t>& samples)
{
	double sum = 0;
	for (int16_t s : samples)
		sum += double(s) * s;
	return samples.empty() ? 0.0 : std::sqrt(sum / samples.size());
}

// Waits until the source has stopped and the writer has written a tenth of
// a second past it, by the device's own clock; the deadline only ends a
// broken run.
void waitUntilStopped(IAudioSource* source)
{
	const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	while (!source->isStopped() && std::chrono::steady_clock::now() < end)
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	const double stoppedAt = orv::test::mixedSeconds();
	while (orv::test::mixedSeconds() < stoppedAt + 0.1 && std::chrono::steady_clock::now() < end)
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

class AudioCapture : public testing::Test
{
protected:
	void SetUp() override
	{
		if (!std::getenv("WAVEOUT") || !std::getenv("ALSOFT_CONF"))
			GTEST_SKIP() << "runs only as registered with the wave writer";
		Manager = createAudioManager();
		ASSERT_NE(Manager, nullptr);
	}

	void TearDown() override { destroyAudioManager(Manager); }

	IAudioSource* held(IAudioSource* source) { return Held.hold(source); }
	IAudioSource* tone(double seconds)
	{
		const Bytes pcm = orv::test::makeTone(440.0, seconds, 22050, 1);
		return held(Manager->createFromRaw("tone", pcm.data(), static_cast<int>(pcm.size()), 22050, MONO16));
	}

	// Ends the device, which completes the file, and reads it.
	SCapture finish()
	{
		destroyAudioManager(Manager);
		Manager = nullptr;
		return readCapture();
	}

	IAudioManager* Manager = nullptr;
	orv::test::CHeldSources Held;
};

} // namespace

TEST_F(AudioCapture, Centred2D)
{
	IAudioSource* source = tone(0.5);
	ASSERT_NE(source, nullptr);
	// A 3D play first: the 2D one after it must not keep its place.
	source->play3d(CVector3(20.0f, 0.0f, 0.0f), 20.0f, false);
	source->stop();
	EXPECT_TRUE(source->play2d(false));
	waitUntilStopped(source);
	const SCapture capture = finish();
	const double left = rms(capture.left), right = rms(capture.right);
	ASSERT_GT(left, 500.0);
	EXPECT_NEAR(left / right, 1.0, 0.05);
}

TEST_F(AudioCapture, LouderOnTheRight3D)
{
	IAudioSource* source = tone(0.5);
	ASSERT_NE(source, nullptr);
	Manager->getListener()->setPosition(CVector3(0.0f, 0.0f, 0.0f));
	EXPECT_TRUE(source->play3d(CVector3(5.0f, 0.0f, 0.0f), 20.0f, false));
	waitUntilStopped(source);
	const SCapture capture = finish();
	const double left = rms(capture.left), right = rms(capture.right);
	ASSERT_GT(right, 500.0);
	EXPECT_GT(right, 2.0 * left);
}

TEST_F(AudioCapture, StreamedOggLastsItsLength)
{
	const std::string path = orv::test::fixturePath("three_seconds.ogg");
	IAudioSource* source = held(Manager->create("three", path.c_str(), true));
	ASSERT_NE(source, nullptr);
	EXPECT_TRUE(source->play2d(false));
	waitUntilStopped(source);
	const SCapture capture = finish();
	// Count the output frames from the first to the last audible one.
	size_t first = capture.left.size(), last = 0;
	for (size_t i = 0; i < capture.left.size(); ++i)
	{
		if (std::abs(capture.left[i]) > 200)
		{
			first = std::min(first, i);
			last = i;
		}
	}
	ASSERT_LT(first, last);
	EXPECT_NEAR(double(last - first) / OUTPUT_RATE, 3.0, 0.05);
}
