// Objects made the way the server makes them, 5,000, 10,000 and 20,000 at a
// time: each an "add object" packet of a class with code, then its position.
// Every count runs in an engine of its own on the null device, in a process of
// its own; the figure is the time to make them all. A creation that searches what already exists
// grows faster than the count: twice the objects should take about twice the
// time (target: 20,000 in at most 2.2 times the time of 10,000).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/CGameEngine.h"
#include "support/FreshEngine.h"
#include "support/InChild.h"
#include "support/NoAudioDevice.h"
#include "support/ServerPackets.h"
#include "world/CObjectManager.h"

using namespace orv;
using Clock = std::chrono::steady_clock;

namespace {

const irr::u32 COUNTS[] = {5000, 10000, 20000};
const int ROUNDS = 5;

//! Seconds to make `count` objects in a fresh engine; negative when it does not start.
double makeObjects(irr::u32 count)
{
	bench::CFreshEngine fresh("create");
	CGameEngine* engine = fresh.start();
	if (!engine)
		return -1.0;
	// One class with code.
	bench::defineMover(*engine);
	const Clock::time_point start = Clock::now();
	for (irr::u32 id = 1; id <= count; ++id)
		bench::addMover(*engine, id, 1, static_cast<float>(id % 100) * 32.0f, static_cast<float>(id / 100) * 32.0f);
	const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
	return CObjectManager::getInstance()->getSceneObjects().size() == count ? seconds : -1.0;
}

} // namespace

int main()
{
	bench::withoutAudioDevice();
	// Rounds interleave the counts, so a busy moment hurts all of them alike;
	// the fastest round of each count is kept.
	std::vector<double> best(std::size(COUNTS), 1e30);
	for (int round = 0; round < ROUNDS; ++round)
		for (size_t i = 0; i < std::size(COUNTS); ++i)
		{
			// Every count starts from the same fresh heap, not from what the count
			// before it left (freed, fragmented or given back).
			const double seconds = bench::inChild([&] { return makeObjects(COUNTS[i]); }, -1.0);
			if (seconds < 0.0)
			{
				std::fprintf(stderr, "bench_object_creation: the objects could not be made\n");
				return 1;
			}
			best[i] = std::min(best[i], seconds);
		}

	std::printf("objects made as the server makes them (add object + position), best of %d\n", ROUNDS);
	for (size_t i = 0; i < std::size(COUNTS); ++i)
		std::printf("  %6u objects: %9.3f ms  (%.2f us each)\n", COUNTS[i], best[i] * 1e3, best[i] * 1e6 / COUNTS[i]);
	const double ratio = best[2] / best[1];
	std::printf("time 10,000 / 5,000:   %6.3f\n", best[1] / best[0]);
	std::printf("time 20,000 / 10,000:  %6.3f  (target <= 2.2: %s)\n", ratio, ratio <= 2.2 ? "met" : "missed");
	return 0;
}
