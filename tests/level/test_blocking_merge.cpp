// The merge of blocking cells against the first way it was written, which
// grows a rectangle anew from every cell on every pass: on random maps of
// every density the two give the same boxes and edges, in the same order.

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
		: W(width), H(height), N(static_cast<s64>(width) * height), Cells(cells)
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
		for (s64 i = 0; i < N; ++i) {
			if (!blocking(i))
				continue;
			const s64 tl = i;
			s64 tr = tl;
			while (column(tr) < W - 1 && blocking(tr + 1))
				++tr;
			s64 bl = tl;
			s64 br = tr;
			while (bl + W < N) {
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
			box.center = vector2df(static_cast<f32>(column(tl)) + box.halfExtents.X,
				static_cast<f32>(row(tl)) + box.halfExtents.Y);
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
		for (s64 i = 0; i < N; ++i) {
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

SBlockingShapes referenceMerge(u32 width, u32 height, std::vector<u8> cells)
{
	SBlockingShapes shapes;
	CReferenceGrid grid(width, height, cells);
	while (grid.mergePass(shapes) != 0) {
	}
	grid.addEdges(shapes);
	return shapes;
}

bool sameEdge(const SBlockingEdge& a, const SBlockingEdge& b)
{
	return a.ghostBefore == b.ghostBefore && a.from == b.from && a.to == b.to && a.ghostAfter == b.ghostAfter;
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
	for (const Case& c : cases) {
		std::bernoulli_distribution blocks(c.blocking);
		for (int map = 0; map < c.maps; ++map) {
			std::vector<u8> cells(static_cast<size_t>(c.width) * c.height);
			for (u8& cell : cells)
				cell = blocks(random) ? 1 : 0;
			SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " map " << map);
			const SBlockingShapes expected = referenceMerge(c.width, c.height, cells);
			const SBlockingShapes shapes = mergeBlockingTiles(c.width, c.height, cells);
			ASSERT_EQ(shapes.boxes.size(), expected.boxes.size());
			for (size_t i = 0; i < expected.boxes.size(); ++i) {
				ASSERT_EQ(shapes.boxes[i].center, expected.boxes[i].center) << "box " << i;
				ASSERT_EQ(shapes.boxes[i].halfExtents, expected.boxes[i].halfExtents) << "box " << i;
			}
			ASSERT_EQ(shapes.edges.size(), expected.edges.size());
			for (size_t i = 0; i < expected.edges.size(); ++i)
				ASSERT_TRUE(sameEdge(shapes.edges[i], expected.edges[i])) << "edge " << i;
		}
	}
}

} // namespace
