// ustring16 to and from UTF-8 on 1 MiB of mixed text, beside the plain utfcpp
// conversion of the same bytes. Prints the ratio ustring16 / utfcpp; the aim
// is 1.5 or below. Then short strings made and copied, outside a script and
// charged to a script's account, where the time is the allocation's.
#include <cstdio>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <utf8.h>

#include "base/MemoryAccount.h"
#include "base/ustring16.h"

namespace {

const std::string& mixedText()
{
	static const std::string text = [] {
		// ASCII, Latin-1, CJK and astral characters, as chat and level texts mix them.
		const std::string piece = "Orv level 12: caf\xC3\xA9 \xE6\xBC\xA2\xE5\xAD\x97 "
								  "\xF0\x9F\x98\x80 na\xC3\xAFve r\xC3\xA9sum\xC3\xA9\n";
		std::string out;
		while (out.size() + piece.size() <= (1u << 20))
			out += piece;
		while (out.size() < (1u << 20))
			out += 'x';
		return out;
	}();
	return text;
}

void fromUtf8_ustring16(benchmark::State& state)
{
	const std::string& text = mixedText();
	for (auto _ : state)
	{
		irr::core::ustring16 s(text);
		benchmark::DoNotOptimize(s.c_str());
	}
	state.SetBytesProcessed(state.iterations() * text.size());
}

void fromUtf8_utfcpp(benchmark::State& state)
{
	const std::string& text = mixedText();
	for (auto _ : state)
	{
		std::u16string s = utf8::utf8to16(text);
		benchmark::DoNotOptimize(s.data());
	}
	state.SetBytesProcessed(state.iterations() * text.size());
}

void toUtf8_ustring16(benchmark::State& state)
{
	const irr::core::ustring16 s(mixedText());
	for (auto _ : state)
	{
		std::string out = s.toUTF8_std();
		benchmark::DoNotOptimize(out.data());
	}
	state.SetBytesProcessed(state.iterations() * mixedText().size());
}

void toUtf8_utfcpp(benchmark::State& state)
{
	const std::u16string units = utf8::utf8to16(mixedText());
	for (auto _ : state)
	{
		std::string out = utf8::utf16to8(units);
		benchmark::DoNotOptimize(out.data());
	}
	state.SetBytesProcessed(state.iterations() * mixedText().size());
}

BENCHMARK(fromUtf8_ustring16)->Unit(benchmark::kMicrosecond);
BENCHMARK(fromUtf8_utfcpp)->Unit(benchmark::kMicrosecond);
BENCHMARK(toUtf8_ustring16)->Unit(benchmark::kMicrosecond);
BENCHMARK(toUtf8_utfcpp)->Unit(benchmark::kMicrosecond);

// Names and words as levels, packets and scripts carry them: too long for
// the string's own buffer, so that making one is mostly its allocation.
const char* const WORD = "sample_level/crate_stack";

void shortStrings(benchmark::State& state)
{
	for (auto _ : state)
	{
		irr::core::ustring16 made(WORD);
		irr::core::ustring16 copy(made);
		benchmark::DoNotOptimize(copy.c_str());
	}
}
BENCHMARK(shortStrings);

// The same while a script runs: the units are charged to its account.
void shortStringsCharged(benchmark::State& state)
{
	orv::MemoryAccount account(0);
	orv::MemoryAccount* before = orv::setThreadMemoryAccount(&account);
	for (auto _ : state)
	{
		irr::core::ustring16 made(WORD);
		irr::core::ustring16 copy(made);
		benchmark::DoNotOptimize(copy.c_str());
	}
	orv::setThreadMemoryAccount(before);
}
BENCHMARK(shortStringsCharged);

// A script's worst case for searching: a long pattern that matches all but
// its last character at every position of a long text.
void findNearMiss(benchmark::State& state)
{
	const size_t length = static_cast<size_t>(state.range(0));
	const irr::core::ustring16 text(std::string(length, 'a').c_str());
	const irr::core::ustring16 pattern((std::string(length / 2, 'a') + "b").c_str());
	for (auto _ : state)
	{
		irr::core::ustring16 copy(text);
		benchmark::DoNotOptimize(copy.find(pattern));
		copy.replace(pattern, irr::core::ustring16("x"));
		benchmark::DoNotOptimize(copy.removeChars(text));
	}
}
BENCHMARK(findNearMiss)->Arg(1 << 20)->Arg(1 << 24)->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration so the ratios can be printed at the end.
class CRatioReporter : public benchmark::ConsoleReporter
{
public:
	void ReportRuns(const std::vector<Run>& runs) override
	{
		for (const Run& run : runs)
			if (run.run_type == Run::RT_Iteration)
				TimePerIteration[run.benchmark_name()] = run.GetAdjustedRealTime();
		ConsoleReporter::ReportRuns(runs);
	}

	void printRatio(const char* what, const char* ours, const char* theirs) const
	{
		auto a = TimePerIteration.find(ours);
		auto b = TimePerIteration.find(theirs);
		if (a == TimePerIteration.end() || b == TimePerIteration.end() || b->second <= 0)
			return;
		std::printf("%s: ustring16 / utfcpp = %.2f (target <= 1.50)\n", what, a->second / b->second);
	}

private:
	std::map<std::string, double> TimePerIteration;
};

} // namespace

int main(int argc, char** argv)
{
	benchmark::Initialize(&argc, argv);
	CRatioReporter reporter;
	benchmark::RunSpecifiedBenchmarks(&reporter);
	reporter.printRatio("from UTF-8", "fromUtf8_ustring16", "fromUtf8_utfcpp");
	reporter.printRatio("to UTF-8", "toUtf8_ustring16", "toUtf8_utfcpp");
	benchmark::Shutdown();
	return 0;
}
