// The merge of blocking cells against the first way it was written, which
// grows a rectangle anew from every cell on every pass: on random maps of
// every density, on maps built to need a pass for every few rows, and on
// the shapes at the ends of the range, the two give the same boxes and
// edges, in the same order.

#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "level/BlockingTiles.h"

using namespace orv;
using irr::f32;
using irr::s64;
using irr::u32;
using irr::u8;
using irr::core::vector2df;

namespace {

const u8 OPEN = 0;
const u8 BLOCKING = 1;
const u8 COVERED = 2;

// The reference, kept as it was first written.
class CReferenceGrid
{
public:
	CReferenceGrid(u32 width, u32 height, std::vector<u8>& cells)
		: W(width)
		, H(height)
		, N(static_cast<s64>(width) * height)
		, Cells(cells)
	{
	}

	s64 column(s64 i) const { return i % W; }
	s64 row(s64 i) const { return i / W; }
	u8 value(s64 i) const { return i >= 0 && i < N ? Cells[static_cast<size_t>(i)] : OPEN; }
	bool blocked(s64 i) const { return value(i) != OPEN; }
	bool blocking(s64 i) const { return value(i) == BLOCKING; }

	bool isRejected(s64 tl, s64 tr, s64 bl, s64 br) const
	{
		if (tl >= W && blocked(tl - W) && (tl - W < W || value(tl - W - 1) == OPEN))
			return true;
		if (tr >= W && blocked(tr - W) && value(tr - W + 1) == OPEN)
			return true;
		if (bl + W < N && blocked(bl + W) && (column(bl) == 0 || value(bl + W - 1) == OPEN))
			return true;
		if (br + W < N && blocked(br + W) && (br + W + 1 >= N || value(br + W + 1) == OPEN))
			return true;
		if (column(tl) > 0 && blocked(tl - 1) && (tl < W || value(tl - W - 1) == OPEN))
			return true;
		if (column(tr) < W - 1 && blocked(tr + 1) && (column(tr) == W - 2 || tr < W || value(tr - W + 1) == OPEN))
			return true;
		if (column(bl) > 0 && blocked(bl - 1) && (bl + W - 1 >= N || value(bl + W - 1) == OPEN))
			return true;
		if (column(br) < W - 1 && blocked(br + 1) && (br + W + 1 >= N || value(br + W + 1) == OPEN))
			return true;
		return false;
	}

	u32 mergePass(SBlockingShapes& shapes)
	{
		u32 made = 0;
		for (s64 i = 0; i < N; ++i)
		{
			if (!blocking(i))
				continue;
			const s64 tl = i;
			s64 tr = tl;
			while (column(tr) < W - 1 && blocking(tr + 1))
				++tr;
			s64 bl = tl;
			s64 br = tr;
			while (bl + W < N)
			{
				bool whole = true;
				for (s64 j = bl + W; j <= br + W && whole; ++j)
					whole = blocking(j);
				if (!whole)
					break;
				bl += W;
				br += W;
			}
			if (isRejected(tl, tr, bl, br))
				continue;
			const s64 columns = tr - tl + 1;
			const s64 rows = (bl - tl) / W + 1;
			SBlockingBox box;
			box.halfExtents = vector2df(columns / 2.0f, rows / 2.0f);
			box.center = vector2df(
				static_cast<f32>(column(tl)) + box.halfExtents.X, static_cast<f32>(row(tl)) + box.halfExtents.Y);
			shapes.boxes.push_back(box);
			for (s64 r = tl; r <= bl; r += W)
				for (s64 j = r; j < r + columns; ++j)
					Cells[static_cast<size_t>(j)] = COVERED;
			++made;
		}
		return made;
	}

	void addEdges(SBlockingShapes& shapes) const
	{
		for (s64 i = 0; i < N; ++i)
		{
			if (!blocking(i))
				continue;
			const f32 c = static_cast<f32>(column(i));
			const f32 r = static_cast<f32>(row(i));
			const bool above = row(i) > 0 && blocked(i - W);
			const bool below = row(i) < H - 1 && blocked(i + W);
			const bool left = column(i) > 0 && blocked(i - 1);
			const bool right = column(i) < W - 1 && blocked(i + 1);
			const auto at = [](f32 x, f32 y) { return vector2df(x, y); };
			if (!above)
				shapes.edges.push_back({left ? at(c - 1, r) : at(c, r + 1), at(c, r), at(c + 1, r),
					right ? at(c + 2, r) : at(c + 1, r + 1)});
			if (!below)
				shapes.edges.push_back({right ? at(c + 2, r + 1) : at(c + 1, r), at(c + 1, r + 1), at(c, r + 1),
					left ? at(c - 1, r + 1) : at(c, r)});
			if (!left)
				shapes.edges.push_back({below ? at(c, r + 2) : at(c + 1, r + 1), at(c, r + 1), at(c, r),
					above ? at(c, r - 1) : at(c + 1, r)});
			if (!right)
				shapes.edges.push_back({above ? at(c + 1, r - 1) : at(c, r), at(c + 1, r), at(c + 1, r + 1),
					below ? at(c + 1, r + 2) : at(c, r + 1)});
		}
	}

	const s64 W;
	const s64 H;
	const s64 N;

private:
	std::vector<u8>& Cells;
};

//! The reference's shapes, and the passes it took, the last one making no box.
SBlockingShapes referenceMerge(u32 width, u32 height, std::vector<u8> cells, u32* passes = nullptr)
{
	SBlockingShapes shapes;
	CReferenceGrid grid(width, height, cells);
	u32 count = 1;
	while (grid.mergePass(shapes) != 0)
		++count;
	grid.addEdges(shapes);
	if (passes)
		*passes = count;
	return shapes;
}

bool sameEdge(const SBlockingEdge& a, const SBlockingEdge& b)
{
	return a.ghostBefore == b.ghostBefore && a.from == b.from && a.to == b.to && a.ghostAfter == b.ghostAfter;
}

void expectReferenceShapes(u32 width, u32 height, const std::vector<u8>& cells)
{
	const SBlockingShapes expected = referenceMerge(width, height, cells);
	const SBlockingShapes shapes = mergeBlockingTiles(width, height, cells);
	ASSERT_EQ(shapes.boxes.size(), expected.boxes.size());
	for (size_t i = 0; i < expected.boxes.size(); ++i)
	{
		ASSERT_EQ(shapes.boxes[i].center, expected.boxes[i].center) << "box " << i;
		ASSERT_EQ(shapes.boxes[i].halfExtents, expected.boxes[i].halfExtents) << "box " << i;
	}
	ASSERT_EQ(shapes.edges.size(), expected.edges.size());
	for (size_t i = 0; i < expected.edges.size(); ++i)
		ASSERT_TRUE(sameEdge(shapes.edges[i], expected.edges[i])) << "edge " << i;
}

//! A map tiled with a small pattern, '#' blocking, each band of its rows
//! shifted `shift` columns further along than the band above, and turned
//! by `turn`: 0 as drawn, 1 mirrored left to right, 2 upside down, 3 both.
std::vector<u8> tiledMap(u32 width, u32 height, const std::vector<const char*>& tile, u32 shift, int turn)
{
	const u32 rows = static_cast<u32>(tile.size());
	const u32 columns = static_cast<u32>(std::strlen(tile[0]));
	std::vector<u8> cells(static_cast<size_t>(width) * height);
	for (u32 r = 0; r < height; ++r)
		for (u32 c = 0; c < width; ++c)
		{
			const u32 x = turn & 1 ? width - 1 - c : c;
			const u32 y = turn & 2 ? height - 1 - r : r;
			cells[static_cast<size_t>(r) * width + c] = tile[y % rows][(x + shift * (y / rows)) % columns] == '#';
		}
	return cells;
}

TEST(BlockingMerge, GivesTheReferenceBoxesAndEdgesOnRandomMaps)
{
	struct Case
	{
		u32 width;
		u32 height;
		double blocking; // the share of blocking cells
		int maps;
	};
	const Case cases[] = {
		{1, 1, 0.5, 8},
		{1, 17, 0.7, 40},
		{19, 1, 0.7, 40},
		{2, 2, 0.6, 60},
		{5, 4, 0.5, 400},
		{8, 8, 0.8, 400},
		{13, 11, 0.3, 200},
		{16, 16, 0.95, 200},
		{33, 29, 0.6, 60},
		{64, 48, 0.85, 20},
		{97, 101, 0.5, 6},
	};
	std::mt19937 random(24681357);
	for (const Case& c : cases)
	{
		std::bernoulli_distribution blocks(c.blocking);
		for (int map = 0; map < c.maps; ++map)
		{
			std::vector<u8> cells(static_cast<size_t>(c.width) * c.height);
			for (u8& cell : cells)
				cell = blocks(random) ? 1 : 0;
			SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " map " << map);
			expectReferenceShapes(c.width, c.height, cells);
			if (HasFatalFailure())
				return;
		}
	}
}

// Tiles of hooks or combs that interlock so that each box lets the next one
// above it pass its corner checks only in the pass after: the passes grow
// with the map's side. Turned, the same tiles need few passes.
TEST(BlockingMerge, GivesTheReferenceShapesOnMapsThatNeedManyPasses)
{
	const std::vector<const char*> hooks = {"...#", "##.#", "#.##", "#..."};
	const std::vector<const char*> combs = {"...#.#", "##.###", "#.####", "#.##..", "####..", "##..##"};
	struct Case
	{
		const char* name;
		const std::vector<const char*>& tile;
		u32 shift;
		u32 side;
		u32 leastPasses; // what the reference takes, so the map stays a hard one
	};
	const Case cases[] = {
		{"hooks", hooks, 3, 16, 10},
		{"hooks", hooks, 3, 64, 34},
		{"hooks", hooks, 3, 131, 67},
		{"combs", combs, 2, 64, 53},
		{"combs", combs, 2, 130, 107},
	};
	for (const Case& c : cases)
		for (int turn = 0; turn < 4; ++turn)
		{
			SCOPED_TRACE(testing::Message() << c.name << " " << c.side << " turned " << turn);
			const std::vector<u8> cells = tiledMap(c.side, c.side, c.tile, c.shift, turn);
			if (turn == 0)
			{
				u32 passes = 0;
				referenceMerge(c.side, c.side, cells, &passes);
				EXPECT_GE(passes, c.leastPasses);
			}
			expectReferenceShapes(c.side, c.side, cells);
			if (HasFatalFailure())
				return;
		}
}

TEST(BlockingMerge, GivesTheReferenceShapesOnMapsAtTheEnds)
{
	const std::vector<const char*> all = {"#"};
	const std::vector<const char*> none = {"."};
	const std::vector<const char*> checkers = {"#.", ".#"};
	const std::vector<const char*> stripes = {"##.", "#.#"};
	struct Case
	{
		const char* name;
		u32 width;
		u32 height;
		const std::vector<const char*>& tile;
	};
	const Case cases[] = {
		{"one blocking cell", 1, 1, all},
		{"one open cell", 1, 1, none},
		{"a blocking row", 300, 1, all},
		{"a blocking column", 1, 300, all},
		{"a row of checkers", 301, 1, checkers},
		{"a column of checkers", 1, 301, checkers},
		{"two rows of checkers", 40, 2, checkers},
		{"two columns of checkers", 2, 40, checkers},
		{"a blocking map", 64, 48, all},
		{"an open map", 64, 48, none},
		{"checkers", 63, 64, checkers},
		{"stripes", 50, 37, stripes},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		expectReferenceShapes(c.width, c.height, tiledMap(c.width, c.height, c.tile, 0, 0));
		if (HasFatalFailure())
			return;
	}
}

} // namespace
