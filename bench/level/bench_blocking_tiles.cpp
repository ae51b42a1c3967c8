// Merging the blocking cells of the largest map the loader accepts, 4096 x
// 4096, into boxes and edges: a map that blocks everywhere, random maps of
// three densities, a map of offset bricks whose every rectangle meets a
// blocked neighbour at its corners, and a map of interlocking hooks where
// each box lets the next one above it be made only in the pass after, so
// that the merge takes a pass for every two rows. Prints the median seconds
// of three merges of each and the shapes made; the goal is under a second
// each.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "level/BlockingTiles.h"

using namespace orv;

namespace {

const irr::u32 SIDE = 4096;
const int ROUNDS = 3;

typedef std::chrono::steady_clock Clock;

std::vector<irr::u8> randomMap(double blocking, unsigned seed)
{
	std::mt19937 random(seed);
	std::bernoulli_distribution blocks(blocking);
	std::vector<irr::u8> cells(static_cast<size_t>(SIDE) * SIDE);
	for (irr::u8& cell : cells)
		cell = blocks(random) ? 1 : 0;
	return cells;
}

// Bricks 3 cells wide, one row high, each row shifted by one and a gap of one.
std::vector<irr::u8> brickMap()
{
	std::vector<irr::u8> cells(static_cast<size_t>(SIDE) * SIDE);
	for (size_t r = 0; r < SIDE; ++r)
		for (size_t c = 0; c < SIDE; ++c)
			cells[r * SIDE + c] = (c + r) % 4 != 0 ? 1 : 0;
	return cells;
}

// Each band of four rows is the one above shifted a column to the right.
std::vector<irr::u8> hookMap()
{
	static const char* const hook[] = {"...#", "##.#", "#.##", "#..."};
	std::vector<irr::u8> cells(static_cast<size_t>(SIDE) * SIDE);
	for (size_t r = 0; r < SIDE; ++r)
		for (size_t c = 0; c < SIDE; ++c)
			cells[r * SIDE + c] = hook[r % 4][(c + 3 * (r / 4)) % 4] == '#' ? 1 : 0;
	return cells;
}

void measure(const char* name, const std::vector<irr::u8>& cells)
{
	std::vector<double> seconds;
	SBlockingShapes shapes;
	for (int round = 0; round < ROUNDS; ++round)
	{
		const Clock::time_point start = Clock::now();
		shapes = mergeBlockingTiles(SIDE, SIDE, cells);
		seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
	}
	std::sort(seconds.begin(), seconds.end());
	std::printf(
		"%-28s %8.3f s  %9zu boxes %9zu edges\n", name, seconds[ROUNDS / 2], shapes.boxes.size(), shapes.edges.size());
}

} // namespace

int main()
{
	std::printf("blocking-tile merge of %u x %u cells (median of %d)\n", SIDE, SIDE, ROUNDS);
	measure("every cell blocking", std::vector<irr::u8>(static_cast<size_t>(SIDE) * SIDE, 1));
	measure("random, 30% blocking", randomMap(0.3, 1));
	measure("random, 70% blocking", randomMap(0.7, 2));
	measure("random, 95% blocking", randomMap(0.95, 3));
	measure("offset bricks", brickMap());
	measure("interlocking hooks", hookMap());
	return 0;
}
