// Blocking tiles as pure functions: which tileset cells a file names, and how
// a grid of blocking cells becomes boxes and edges.

#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "level/BlockingTiles.h"

using namespace orv;
using irr::core::vector2df;

namespace {

//! A grid drawn as text, one string a row: '#' blocks.
struct SGrid
{
	irr::u32 width = 0;
	irr::u32 height = 0;
	std::vector<irr::u8> cells;

	explicit SGrid(const std::vector<std::string>& rows)
	{
		height = static_cast<irr::u32>(rows.size());
		width = rows.empty() ? 0 : static_cast<irr::u32>(rows[0].size());
		for (const std::string& row : rows)
			for (char c : row)
				cells.push_back(c == '#' ? 1 : 0);
	}
};

} // namespace

namespace orv {

// Read by gtest in its messages.
std::ostream& operator<<(std::ostream& out, const SBlockingEdge& e)
{
	return out << "(" << e.ghostBefore.X << "," << e.ghostBefore.Y << ") (" << e.from.X << "," << e.from.Y << ")->("
			   << e.to.X << "," << e.to.Y << ") (" << e.ghostAfter.X << "," << e.ghostAfter.Y << ")";
}

} // namespace orv

namespace {

struct SEdgeCase
{
	vector2df ghostBefore, from, to, ghostAfter;
};

bool operator==(const SBlockingEdge& a, const SEdgeCase& b)
{
	return a.ghostBefore == b.ghostBefore && a.from == b.from && a.to == b.to && a.ghostAfter == b.ghostAfter;
}

} // namespace

TEST(BlockingTiles, FileNamesCellsInPairs)
{
	struct Case
	{
		const char* name;
		std::string text;
		std::set<std::pair<int, int>> blocking;
	};
	const Case cases[] = {
		{"a last number without partner is dropped", "3, 4, 5", {{3, 4}}},
		{"pairs run across lines", "1,2,3\n4\r\n5,6", {{1, 2}, {3, 4}, {5, 6}}},
		{"empty pieces are skipped", ",,3,\r\n\r\n,4,", {{3, 4}}},
		{"blanks around a number are trimmed", " 7 ,\t8 ", {{7, 8}}},
		{"numbers keep their low byte", "259,4,65535,0", {{3, 4}, {255, 0}}},
		{"a piece that is no number reads as 0", "x,4,5,-1,70000,9,1 2,3", {{0, 4}, {5, 0}, {0, 9}, {0, 3}}},
		{"repeats do not matter", "1,1,1,1", {{1, 1}}},
		{"nothing", "", {}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const BlockingTileSet set = readBlockingTileSet(c.text.data(), c.text.size());
		ASSERT_EQ(set.size(), 65536u);
		std::set<std::pair<int, int>> found;
		for (int i = 0; i < 65536; ++i)
			if (set[i])
				found.insert({i / 256, i % 256});
		EXPECT_EQ(found, c.blocking);
	}
}

TEST(BlockingTiles, RectanglesBecomeBoxes)
{
	struct Case
	{
		const char* name;
		std::vector<std::string> grid;
		std::vector<SBlockingBox> boxes;
	};
	const Case cases[] = {
		{"a run of four", {"........", "..####..", "........"}, {{{4, 1.5f}, {2, 0.5f}}}},
		{"a 2 x 2 square", {"......", "......", "..##..", "..##..", "......", "......"}, {{{3, 3}, {1, 1}}}},
		{"a vertical run of three in a map 32 wide",
			{"................................", "..........#.....................", "..........#.....................",
				"..........#.....................", "................................"},
			{{{10.5f, 2.5f}, {0.5f, 1.5f}}}},
		{"a whole map", {"###", "###"}, {{{1.5f, 1}, {1.5f, 1}}}},
		{"a single cell", {"...", ".#.", "..."}, {{{1.5f, 1.5f}, {0.5f, 0.5f}}}},
		{"two runs apart", {"##..##"}, {{{1, 0.5f}, {1, 0.5f}}, {{5, 0.5f}, {1, 0.5f}}}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const SGrid grid(c.grid);
		const SBlockingShapes shapes = mergeBlockingTiles(grid.width, grid.height, grid.cells);
		ASSERT_EQ(shapes.boxes.size(), c.boxes.size());
		for (size_t i = 0; i < c.boxes.size(); ++i)
		{
			EXPECT_EQ(shapes.boxes[i].center, c.boxes[i].center) << "box " << i;
			EXPECT_EQ(shapes.boxes[i].halfExtents, c.boxes[i].halfExtents) << "box " << i;
		}
		EXPECT_TRUE(shapes.edges.empty());
	}
}

TEST(BlockingTiles, AnLShapeGetsEightEdges)
{
	const SGrid grid({"......", "......", "..##..", "..#...", "......", "......"});
	const SBlockingShapes shapes = mergeBlockingTiles(grid.width, grid.height, grid.cells);
	EXPECT_TRUE(shapes.boxes.empty());
	// Cell (2, 2): top, left; (3, 2): top, bottom, right; (2, 3): bottom, left, right.
	const SEdgeCase expected[] = {
		{{2, 3}, {2, 2}, {3, 2}, {4, 2}},
		{{2, 4}, {2, 3}, {2, 2}, {3, 2}},
		{{2, 2}, {3, 2}, {4, 2}, {4, 3}},
		{{4, 2}, {4, 3}, {3, 3}, {2, 3}},
		{{3, 2}, {4, 2}, {4, 3}, {3, 3}},
		{{3, 3}, {3, 4}, {2, 4}, {2, 3}},
		{{3, 4}, {2, 4}, {2, 3}, {2, 2}},
		{{3, 2}, {3, 3}, {3, 4}, {2, 4}},
	};
	ASSERT_EQ(shapes.edges.size(), 8u);
	for (size_t i = 0; i < 8; ++i)
		EXPECT_TRUE(shapes.edges[i] == expected[i]) << "edge " << i << ": " << shapes.edges[i];
}

TEST(BlockingTiles, GridsOfAnyShapeMergeIntoDisjointBoxesOfBlockingCells)
{
	// Includes grids of one column or row, where the corner checks reach into
	// neighbouring rows; the sanitizers watch every index.
	std::mt19937 random(12345);
	for (int round = 0; round < 400; ++round)
	{
		const irr::u32 width = 1 + random() % 12;
		const irr::u32 height = 1 + random() % 12;
		const unsigned density = random() % 100;
		std::vector<irr::u8> cells(width * height);
		for (irr::u8& cell : cells)
			cell = (random() % 100) < density ? 1 : 0;
		const SBlockingShapes shapes = mergeBlockingTiles(width, height, cells);

		std::vector<int> cover(cells.size(), 0);
		for (const SBlockingBox& box : shapes.boxes)
		{
			const int c0 = static_cast<int>(box.center.X - box.halfExtents.X);
			const int r0 = static_cast<int>(box.center.Y - box.halfExtents.Y);
			for (int r = r0; r < r0 + static_cast<int>(2 * box.halfExtents.Y); ++r)
				for (int c = c0; c < c0 + static_cast<int>(2 * box.halfExtents.X); ++c)
				{
					ASSERT_LT(static_cast<irr::u32>(c), width);
					ASSERT_LT(static_cast<irr::u32>(r), height);
					ASSERT_EQ(cells[r * width + c], 1) << "a box covers an open cell";
					ASSERT_EQ(++cover[r * width + c], 1) << "boxes overlap";
				}
		}
		// Every edge runs along a side of a blocking cell outside the boxes,
		// facing a cell that does not block.
		for (const SBlockingEdge& edge : shapes.edges)
		{
			const vector2df mid = (edge.from + edge.to) / 2.0f;
			const vector2df outward = vector2df(edge.to.Y - edge.from.Y, edge.from.X - edge.to.X) / 2.0f;
			const int cellX = static_cast<int>(mid.X - outward.X);
			const int cellY = static_cast<int>(mid.Y - outward.Y);
			ASSERT_LT(static_cast<irr::u32>(cellX), width) << edge;
			ASSERT_LT(static_cast<irr::u32>(cellY), height) << edge;
			EXPECT_EQ(cells[cellY * width + cellX], 1) << edge;
			EXPECT_EQ(cover[cellY * width + cellX], 0) << edge;
			const float openX = mid.X + outward.X, openY = mid.Y + outward.Y;
			if (openX > 0 && openY > 0 && openX < width && openY < height)
			{
				EXPECT_EQ(cells[static_cast<int>(openY) * width + static_cast<int>(openX)], 0) << edge;
			}
		}
	}
}

TEST(BlockingTiles, SizesThatDoNotMatchTheCellsMakeNothing)
{
	EXPECT_TRUE(mergeBlockingTiles(0, 3, {}).boxes.empty());
	EXPECT_TRUE(mergeBlockingTiles(2, 2, {1, 1, 1}).boxes.empty());
	EXPECT_TRUE(mergeBlockingTiles(2, 2, {1, 1, 1}).edges.empty());
}
