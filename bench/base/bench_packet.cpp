// Integer traffic through the packet buffer: the shape of every message the
// client builds and parses (ids, lengths, attribute values of mixed widths).
// Target: 10 million mixed reads and writes per second or better.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "base/packet.h"

using orv::net::packet;

namespace {

const int VALUES_PER_MESSAGE = 64;

// One message written field by field, as the outgoing packets are built.
packet writeMessage(irr::u32 seed)
{
	packet p;
	for (int i = 0; i < VALUES_PER_MESSAGE; i += 4)
	{
		p.append(packet::fromU8(static_cast<irr::u8>(seed + i)));
		p.append(packet::fromU16(static_cast<irr::u16>(seed * 3 + i)));
		p.append(packet::fromU32(seed ^ static_cast<irr::u32>(i)));
		p.append(packet::fromInt(static_cast<irr::u8>(1 + (i & 7)), seed + i));
	}
	return p;
}

irr::u64 readMessage(packet& p)
{
	irr::u64 sum = 0;
	for (int i = 0; i < VALUES_PER_MESSAGE; i += 4)
	{
		sum += p.readU8();
		sum += p.readU16();
		sum += p.readU32();
		sum += p.readInt(static_cast<irr::u8>(1 + (i & 7)));
	}
	return sum;
}

void BM_MixedIntegerReadsAndWrites(benchmark::State& state)
{
	irr::u32 seed = 1;
	for (auto _ : state)
	{
		packet p = writeMessage(seed++);
		benchmark::DoNotOptimize(readMessage(p));
	}
	const double ops = double(state.iterations()) * VALUES_PER_MESSAGE * 2;
	state.SetItemsProcessed(static_cast<int64_t>(ops));
	state.counters["ops/s"] = benchmark::Counter(ops, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixedIntegerReadsAndWrites);

void BM_IntegerWrites(benchmark::State& state)
{
	irr::u32 seed = 1;
	for (auto _ : state)
		benchmark::DoNotOptimize(writeMessage(seed++).getSize());
	const double ops = double(state.iterations()) * VALUES_PER_MESSAGE;
	state.counters["ops/s"] = benchmark::Counter(ops, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IntegerWrites);

void BM_IntegerReads(benchmark::State& state)
{
	const packet message = writeMessage(7);
	for (auto _ : state)
	{
		packet p = message;
		benchmark::DoNotOptimize(readMessage(p));
	}
	const double ops = double(state.iterations()) * VALUES_PER_MESSAGE;
	state.counters["ops/s"] = benchmark::Counter(ops, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IntegerReads);

} // namespace

int main(int argc, char** argv)
{
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;
	std::printf("target: 10,000,000 mixed integer reads and writes per second (ops/s of the mixed case)\n");
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
