#pragma once
// Fixtures of the audio tests: sound files made in memory, the committed Ogg
// files, and a log receiver that keeps what the library says.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "audio/IAudioSource.h"
#include "audio/ILogger.h"

namespace orv {
namespace test {

typedef std::vector<char> Bytes;

//! How a WAV file is built: a canonical PCM file unless changed.
struct SWavSpec
{
	uint16_t channels = 1;
	uint16_t bits = 16;
	uint32_t rate = 22050;
	uint32_t frames = 100;
	//! The extensible form (tag 0xFFFE, 40-byte fmt chunk, PCM GUID).
	bool extensible = false;
	uint16_t formatTag = 1;
	//! An odd-sized "LIST" chunk before "fmt ", padded to even size.
	bool listChunkFirst = false;
	//! "data" before "fmt ".
	bool dataFirst = false;
	//! Bytes of samples cut from the end of the file, the header left saying
	//! they are there.
	uint32_t truncatedBy = 0;
	//! Replaces the RIFF size field when not 0.
	uint32_t riffSize = 0;
	//! An odd number of sample bytes (one byte more than the frames hold).
	bool oddDataSize = false;
};

//! The file's bytes; sample byte i holds i & 0x7F.
Bytes makeWav(const SWavSpec& spec);
//! Where the samples begin in a file made by makeWav.
uint32_t wavDataOffset(const SWavSpec& spec);

//! Signed 16-bit samples of a sine, one channel (or two equal ones).
Bytes makeTone(double hz, double seconds, int rate, int channels);

//! A committed fixture from tests/audio/fixtures.
Bytes readFixture(const std::string& name);
std::string fixturePath(const std::string& name);

//! Seconds of sound the current context's device has mixed; through the wave
//! writer, the clock of the captured file's own samples (0 without a device).
double mixedSeconds();

//! How often the audio thread ("orv-audio") has gone to sleep so far, as the
//! system counts it (its voluntary context switches); -1 while there is none.
long audioThreadSleeps();
//! Waits, with one generous deadline, until the audio thread has not woken
//! for a tenth of a second: true when it stays asleep, false when it keeps
//! waking (or does not run).
bool audioThreadStaysAsleep();
//! Waits, with one generous deadline, until the audio thread has woken more
//! than the given number of times since the count given.
bool audioThreadWakes(long since, long times);

//! The caller's references to the sources a test made through a manager,
//! dropped when the test's fixture goes, after the manager they outlive.
class CHeldSources
{
public:
	~CHeldSources();
	//! The source, whose reference is now held; null stays null.
	audio::IAudioSource* hold(audio::IAudioSource* source);

private:
	std::vector<audio::IAudioSource*> Sources;
};

//! One line the library logged.
struct SAudioLogLine
{
	audio::ELogLevel level;
	std::string message;
};

//! Keeps every delivered line while it lives, from whichever thread logs,
//! with the logger's minimum level as asked; restores the level afterwards.
class CAudioLogCapture : public audio::ILogReceiver
{
public:
	explicit CAudioLogCapture(audio::ELogLevel minimum = audio::ELL_INFO);
	~CAudioLogCapture() override;
	bool OnLogMessage(const char* sender, const char* message, audio::ELogLevel level, float time) override;

	//! Whether a line of that level and exact text was logged.
	bool has(audio::ELogLevel level, const std::string& message) const;
	//! Lines that begin with the prefix.
	size_t countStartingWith(const std::string& prefix) const;
	//! A copy of the lines so far.
	std::vector<SAudioLogLine> lines() const;
	//! The sender of every line so far.
	std::vector<std::string> senders() const;

private:
	mutable std::mutex Mutex;
	std::vector<SAudioLogLine> Lines;
	std::vector<std::string> Senders;
	audio::ELogLevel PreviousLevel;
};

} // namespace test
} // namespace orv
