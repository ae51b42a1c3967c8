// The audio library's two costs: decoding Ogg Vorbis through the decoder,
// against bare Tremor reads of the same 60 s stereo file (goal: a ratio
// near 1), and the audio thread's processor time while 32 sources stream on
// OpenAL's null device (goal: below 2% of one core). The thread's figure is
// shown beside the part of it that decoding alone takes (bare Tremor on the
// same streams) and beside the thread's passes with nothing playing.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <tremor/ivorbisfile.h>

#include "audio/CMemorySource.h"
#include "audio/COggDecoder.h"
#include "audio/IAudioManager.h"
#include "audio/ILogger.h"

using namespace orv::audio;

namespace {

const int READ_SIZE = 65536;
const int STREAMING_SOURCES = 32;
const int MEASURED_SECONDS = 5;
const double FILE_SECONDS = 60.0;

// Set by the bare Tremor benchmark, which runs first.
double bareSecondsPerFile = 0.0;

std::vector<char> sixtySeconds()
{
	std::ifstream in(std::string(ORV_SOURCE_DIR) + "/tests/audio/fixtures/sixty_seconds_stereo.ogg", std::ios::binary);
	return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void BM_OggThroughDecoder(benchmark::State& state)
{
	const std::vector<char> file = sixtySeconds();
	std::vector<char> pcm(READ_SIZE);
	int64_t bytes = 0;
	for (auto _ : state)
	{
		CMemorySource* source = new CMemorySource(file.data(), static_cast<int>(file.size()));
		COggDecoder* decoder = new COggDecoder(source);
		source->drop();
		for (int got; (got = decoder->read(pcm.data(), READ_SIZE)) > 0;)
			bytes += got;
		decoder->drop();
	}
	state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_OggThroughDecoder)->Unit(benchmark::kMillisecond);

struct SBareMemory
{
	const std::vector<char>* file;
	size_t position;
};

size_t bareRead(void* out, size_t size, size_t count, void* data)
{
	SBareMemory* m = static_cast<SBareMemory*>(data);
	const size_t n = std::min(size * count, m->file->size() - m->position);
	std::memcpy(out, m->file->data() + m->position, n);
	m->position += n;
	return n;
}

int bareSeek(void* data, ogg_int64_t offset, int whence)
{
	SBareMemory* m = static_cast<SBareMemory*>(data);
	const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(m->position) : int64_t(m->file->size());
	const int64_t target = base + offset;
	if (target < 0 || target > int64_t(m->file->size()))
		return -1;
	m->position = static_cast<size_t>(target);
	return 0;
}

long bareTell(void* data)
{
	return static_cast<long>(static_cast<SBareMemory*>(data)->position);
}

void BM_OggBareTremor(benchmark::State& state)
{
	const std::vector<char> file = sixtySeconds();
	std::vector<char> pcm(READ_SIZE);
	int64_t bytes = 0;
	for (auto _ : state)
	{
		SBareMemory memory{&file, 0};
		OggVorbis_File vf;
		ov_open_callbacks(&memory, &vf, nullptr, 0, ov_callbacks{bareRead, bareSeek, nullptr, bareTell});
		int link = 0;
		for (long got; (got = ov_read(&vf, pcm.data(), READ_SIZE, &link)) > 0;)
			bytes += got;
		ov_clear(&vf);
	}
	state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_OggBareTremor)->Unit(benchmark::kMillisecond);

// Once more, untimed by the library, for the decoding floor of the thread.
void measureBareDecode()
{
	const std::vector<char> file = sixtySeconds();
	std::vector<char> pcm(READ_SIZE);
	const auto start = std::chrono::steady_clock::now();
	SBareMemory memory{&file, 0};
	OggVorbis_File vf;
	ov_open_callbacks(&memory, &vf, nullptr, 0, ov_callbacks{bareRead, bareSeek, nullptr, bareTell});
	int link = 0;
	while (ov_read(&vf, pcm.data(), READ_SIZE, &link) > 0)
	{
	}
	ov_clear(&vf);
	bareSecondsPerFile = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time (user and system) of the named thread of this process, in
// seconds; -1 when there is none.
double threadCpuSeconds(const char* name)
{
	DIR* tasks = opendir("/proc/self/task");
	double seconds = -1.0;
	while (const dirent* entry = tasks ? readdir(tasks) : nullptr)
	{
		const std::string folder = std::string("/proc/self/task/") + entry->d_name;
		std::string comm;
		std::getline(std::ifstream(folder + "/comm"), comm);
		if (comm != name)
			continue;
		std::string stat;
		std::getline(std::ifstream(folder + "/stat"), stat);
		// utime and stime are fields 14 and 15, counted after the name's ')'.
		const char* after = std::strrchr(stat.c_str(), ')');
		unsigned long utime = 0, stime = 0;
		if (after && std::sscanf(after + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) == 2)
			seconds = double(utime + stime) / double(sysconf(_SC_CLK_TCK));
	}
	if (tasks)
		closedir(tasks);
	return seconds;
}

void BM_AudioThreadWith32StreamingSources(benchmark::State& state)
{
	const std::vector<char> file = sixtySeconds();
	getLogger()->setLogLevel(ELL_ERROR);
	IAudioManager* manager = createAudioManager();
	int playing = 0;
	for (int i = 0; i < STREAMING_SOURCES; ++i)
	{
		IAudioSource* source = manager->createFromMemory(
			("stream" + std::to_string(i)).c_str(), file.data(), static_cast<int>(file.size()), "ogg");
		if (source && state.range(0) && source->play2d(true))
			++playing;
		// The manager keeps streaming it on a reference of its own.
		if (source)
			source->drop();
	}
	double share = 0.0;
	for (auto _ : state)
	{
		const double before = threadCpuSeconds("orv-audio");
		const auto start = std::chrono::steady_clock::now();
		std::this_thread::sleep_for(std::chrono::seconds(MEASURED_SECONDS));
		const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
		share = (threadCpuSeconds("orv-audio") - before) / wall;
	}
	state.counters["playing"] = playing;
	state.counters["thread_cpu_%"] = share * 100.0;
	// What bare Tremor needs to decode that many streams in real time: the
	// part of the thread's time no streaming can avoid.
	if (bareSecondsPerFile > 0.0 && playing > 0)
		state.counters["decode_floor_%"] = 100.0 * playing * bareSecondsPerFile / FILE_SECONDS;
	destroyAudioManager(manager);
}
// Argument 0: the sources are made but not played, which leaves the cost of
// the thread's passes alone; 1: all of them stream.
BENCHMARK(BM_AudioThreadWith32StreamingSources)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// Prints the decoder's time over bare Tremor's after the table.
class CRatioReporter : public benchmark::ConsoleReporter
{
public:
	void ReportRuns(const std::vector<Run>& runs) override
	{
		for (const Run& run : runs)
		{
			if (run.benchmark_name() == "BM_OggThroughDecoder")
				Decoder = run.GetAdjustedRealTime();
			else if (run.benchmark_name() == "BM_OggBareTremor")
				Bare = run.GetAdjustedRealTime();
		}
		ConsoleReporter::ReportRuns(runs);
	}
	void Finalize() override
	{
		if (Decoder > 0 && Bare > 0)
			std::printf("Ogg decoder / bare ov_read: %.3f\n", Decoder / Bare);
		ConsoleReporter::Finalize();
	}

private:
	double Decoder = 0.0;
	double Bare = 0.0;
};

} // namespace

int main(int argc, char** argv)
{
	// No sound card is needed: the null device mixes as a real one would.
	setenv("ALSOFT_DRIVERS", "null", 0);
	benchmark::Initialize(&argc, argv);
	measureBareDecode();
	CRatioReporter reporter;
	benchmark::RunSpecifiedBenchmarks(&reporter);
	benchmark::Shutdown();
	return 0;
}
