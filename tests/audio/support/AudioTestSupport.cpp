#include "AudioTestSupport.h"

#include <AL/alc.h>
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

#include <dirent.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace orv {
namespace test {

namespace {

void put16(Bytes& out, uint16_t v)
{
	out.push_back(static_cast<char>(v & 0xFF));
	out.push_back(static_cast<char>(v >> 8));
}

void put32(Bytes& out, uint32_t v)
{
	for (int i = 0; i < 4; ++i)
		out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void putTag(Bytes& out, const char* tag)
{
	out.insert(out.end(), tag, tag + 4);
}

const uint32_t LIST_CHUNK_SIZE = 5;

uint32_t fmtSize(const SWavSpec& spec)
{
	return spec.extensible ? 40 : 16;
}

uint32_t sampleBytes(const SWavSpec& spec)
{
	return spec.frames * spec.channels * (spec.bits / 8) + (spec.oddDataSize ? 1 : 0);
}

void putFormat(Bytes& out, const SWavSpec& spec)
{
	putTag(out, "fmt ");
	put32(out, fmtSize(spec));
	put16(out, spec.extensible ? 0xFFFE : spec.formatTag);
	put16(out, spec.channels);
	put32(out, spec.rate);
	put32(out, spec.rate * spec.channels * (spec.bits / 8));
	put16(out, static_cast<uint16_t>(spec.channels * (spec.bits / 8)));
	put16(out, spec.bits);
	if (spec.extensible)
	{
		put16(out, 22);
		put16(out, spec.bits);
		put32(out, spec.channels == 2 ? 3 : 4);
		const unsigned char guid[16] = {
			0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
		// The GUID's first two bytes carry the real format tag.
		out.push_back(static_cast<char>(spec.formatTag & 0xFF));
		out.push_back(static_cast<char>(spec.formatTag >> 8));
		out.insert(out.end(), guid + 2, guid + 16);
	}
}

void putData(Bytes& out, const SWavSpec& spec)
{
	const uint32_t size = sampleBytes(spec);
	putTag(out, "data");
	put32(out, size);
	for (uint32_t i = 0; i < size; ++i)
		out.push_back(static_cast<char>(i & 0x7F));
	if (size & 1)
		out.push_back(0);
}

} // namespace

uint32_t wavDataOffset(const SWavSpec& spec)
{
	uint32_t offset = 12;
	if (spec.listChunkFirst)
		offset += 8 + LIST_CHUNK_SIZE + 1;
	if (!spec.dataFirst)
		offset += 8 + fmtSize(spec);
	return offset + 8;
}

Bytes makeWav(const SWavSpec& spec)
{
	Bytes out;
	putTag(out, "RIFF");
	put32(out, 0);
	putTag(out, "WAVE");
	if (spec.listChunkFirst)
	{
		putTag(out, "LIST");
		put32(out, LIST_CHUNK_SIZE);
		for (uint32_t i = 0; i < LIST_CHUNK_SIZE + 1; ++i)
			out.push_back('x');
	}
	if (spec.dataFirst)
	{
		putData(out, spec);
		putFormat(out, spec);
	}
	else
	{
		putFormat(out, spec);
		putData(out, spec);
	}
	out.resize(out.size() - spec.truncatedBy);
	const uint32_t riff = spec.riffSize ? spec.riffSize : static_cast<uint32_t>(out.size() - 8 + spec.truncatedBy);
	for (int i = 0; i < 4; ++i)
		out[4 + i] = static_cast<char>((riff >> (8 * i)) & 0xFF);
	return out;
}

Bytes makeTone(double hz, double seconds, int rate, int channels)
{
	Bytes out;
	const int frames = static_cast<int>(seconds * rate);
	for (int i = 0; i < frames; ++i)
	{
		const int16_t sample = static_cast<int16_t>(12000.0 * std::sin(2.0 * M_PI * hz * i / rate));
		for (int c = 0; c < channels; ++c)
			put16(out, static_cast<uint16_t>(sample));
	}
	return out;
}

std::string fixturePath(const std::string& name)
{
	return std::string(ORV_SOURCE_DIR) + "/tests/audio/fixtures/" + name;
}

Bytes readFixture(const std::string& name)
{
	std::ifstream in(fixturePath(name), std::ios::binary);
	return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CAudioLogCapture::CAudioLogCapture(audio::ELogLevel minimum) : PreviousLevel(audio::getLogger()->getLogLevel())
{
	audio::getLogger()->setLogLevel(minimum);
	audio::getLogger()->registerLogReceiver(this, "TestCapture");
}

CAudioLogCapture::~CAudioLogCapture()
{
	audio::getLogger()->unregisterLogReceiver("TestCapture");
	audio::getLogger()->setLogLevel(PreviousLevel);
}

bool CAudioLogCapture::OnLogMessage(const char* sender, const char* message, audio::ELogLevel level, float)
{
	std::lock_guard<std::mutex> lock(Mutex);
	Lines.push_back({level, message});
	Senders.push_back(sender);
	return true;
}

bool CAudioLogCapture::has(audio::ELogLevel level, const std::string& message) const
{
	std::lock_guard<std::mutex> lock(Mutex);
	for (const SAudioLogLine& line : Lines)
		if (line.level == level && line.message == message)
			return true;
	return false;
}

size_t CAudioLogCapture::countStartingWith(const std::string& prefix) const
{
	std::lock_guard<std::mutex> lock(Mutex);
	size_t count = 0;
	for (const SAudioLogLine& line : Lines)
		if (line.message.compare(0, prefix.size(), prefix) == 0)
			++count;
	return count;
}

std::vector<SAudioLogLine> CAudioLogCapture::lines() const
{
	std::lock_guard<std::mutex> lock(Mutex);
	return Lines;
}

std::vector<std::string> CAudioLogCapture::senders() const
{
	std::lock_guard<std::mutex> lock(Mutex);
	return Senders;
}

CHeldSources::~CHeldSources()
{
	for (audio::IAudioSource* source : Sources)
		source->drop();
}

audio::IAudioSource* CHeldSources::hold(audio::IAudioSource* source)
{
	if (source)
		Sources.push_back(source);
	return source;
}

double mixedSeconds()
{
	ALCdevice* device = alcGetContextsDevice(alcGetCurrentContext());
	ALCint64SOFT nanoseconds = 0;
	if (device)
		alcGetInteger64vSOFT(device, ALC_DEVICE_CLOCK_SOFT, 1, &nanoseconds);
	return double(nanoseconds) / 1e9;
}

long audioThreadSleeps()
{
	long switches = -1;
	DIR* tasks = opendir("/proc/self/task");
	if (!tasks)
		return -1;
	while (const dirent* entry = readdir(tasks))
	{
		if (entry->d_name[0] == '.')
			continue;
		const std::string task = std::string("/proc/self/task/") + entry->d_name;
		std::ifstream comm(task + "/comm");
		std::string name;
		if (!std::getline(comm, name) || name != "orv-audio")
			continue;
		std::ifstream status(task + "/status");
		std::string line;
		while (std::getline(status, line))
			if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
				std::istringstream(line.substr(line.find(':') + 1)) >> switches;
	}
	closedir(tasks);
	return switches;
}

namespace {
const auto WAKE_DEADLINE = std::chrono::seconds(30);
const auto ASLEEP_FOR = std::chrono::milliseconds(100);
} // namespace

bool audioThreadStaysAsleep()
{
	const auto deadline = std::chrono::steady_clock::now() + WAKE_DEADLINE;
	long last = audioThreadSleeps();
	while (std::chrono::steady_clock::now() < deadline)
	{
		std::this_thread::sleep_for(ASLEEP_FOR);
		const long now = audioThreadSleeps();
		if (now >= 0 && now == last)
			return true;
		last = now;
	}
	return false;
}

bool audioThreadWakes(long since, long times)
{
	const auto deadline = std::chrono::steady_clock::now() + WAKE_DEADLINE;
	while (std::chrono::steady_clock::now() < deadline)
	{
		if (audioThreadSleeps() - since > times)
			return true;
		std::this_thread::sleep_for(std::chrono::milliseconds(1));
	}
	return false;
}

} // namespace test
} // namespace orv
