#include "level/BlockingTiles.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <string>

#include <ILogger.h>
#include <box2d/box2d.h>

#include "base/Refusal.h"
#include "level/LevelShapes.h"
#include "scene/ContentPath.h"
#include "scene/picture/ImageSizeGuard.h"
#include "world/CPhysicsManager.h"
#include "world/CTiledSceneObject.h"
#include "world/PhysicsGuard.h"

using irr::f32;
using irr::s64;
using irr::u32;
using irr::u8;
using irr::core::vector2df;

namespace orv {

namespace {

// Cell values of the grid while it is merged.
const u8 CELL_OPEN = 0;
const u8 CELL_BLOCKING = 1;
const u8 CELL_COVERED = 2; // blocking, and inside a box already

// The sides of a cell.
const unsigned SIDE_ABOVE = 1;
const unsigned SIDE_BELOW = 2;
const unsigned SIDE_LEFT = 4;
const unsigned SIDE_RIGHT = 8;
// How many sides each set of them holds.
const u8 EDGES_OF_SIDES[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

// Massless: the map's body keeps the mass it had. Filter and skin are Box2D's defaults.
const f32 BLOCKING_DENSITY = 0.0f;
const f32 BLOCKING_FRICTION = 0.2f;
const f32 BLOCKING_RESTITUTION = 0.0f;

bool isSeparator(char c)
{
	return c == ',' || c == '\r' || c == '\n';
}

bool isBlank(char c)
{
	return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// An unsigned 16-bit decimal number, trimmed of blanks; anything else is 0.
u32 pieceValue(const char* begin, const char* end)
{
	while (begin < end && isBlank(*begin))
		++begin;
	while (end > begin && isBlank(end[-1]))
		--end;
	if (begin == end)
		return 0;
	u32 value = 0;
	for (const char* p = begin; p < end; ++p)
	{
		if (*p < '0' || *p > '9')
			return 0;
		value = value * 10 + static_cast<u32>(*p - '0');
		if (value > 0xFFFF)
			return 0;
	}
	return value;
}

//! The grid being merged, with the index arithmetic the merge is written in.
/** Indices are signed: the checks look at cells before and after a corner.
    Rows and columns travel beside the indices, so that the merge divides at
    most once a run. */
class CBlockingGrid
{
public:
	CBlockingGrid(u32 width, u32 height, std::vector<u8>& cells)
		: W(width)
		, H(height)
		, N(static_cast<s64>(width) * height)
		, Cells(cells)
	{
	}

	u8 value(s64 i) const { return i >= 0 && i < N ? Cells[static_cast<size_t>(i)] : CELL_OPEN; }
	bool blocked(s64 i) const { return value(i) != CELL_OPEN; }

	//! Passes over the grid until one makes no box. In each, every rectangle
	//! that passes the corner checks becomes a box, in the order of its corner.
	void merge(SBlockingShapes& shapes);
	//! Edges along the open sides of the cells no box covers.
	void addEdges(SBlockingShapes& shapes) const;

	const s64 W;
	const s64 H;
	const s64 N;

private:
	// A rectangle whose corner meets a blocked neighbour is kept only where
	// the blocked region goes on diagonally past it too; otherwise its edge
	// would leave a seam in the outline. Indices are used as written, also
	// where at the map's sides they reach into the next or previous row. Each
	// corner (cell i in column c) is judged alone, and only by which cells
	// are blocked at all, which covering a cell does not change.
	bool seamAtTopLeft(s64 i, s64 c) const;
	bool seamAtTopRight(s64 i, s64 c) const;
	bool seamAtBottomLeft(s64 i, s64 c) const;
	bool seamAtBottomRight(s64 i, s64 c) const;

	//! Grows the rectangle of each corner of the run of uncovered cells in
	//! row r from column first to last in turn, up to the first one that
	//! becomes a box. Every corner of a run shares the run's end: the caller
	//! checks that corner once, before it looks for where the run starts.
	void mergeRun(SBlockingShapes& shapes, s64 r, s64 first, s64 last);
	//! Records the box of rows top..bottom and columns left..right, covers
	//! its cells and marks the runs whose rectangles that changes.
	void addBox(SBlockingShapes& shapes, s64 top, s64 bottom, s64 left, s64 right);
	//! The cells above the new box count down to it now.
	void lowerCountsAbove(s64 top, s64 left, s64 right);
	//! The sides of cell i, in that row and column, that face no blocked cell.
	unsigned openSides(s64 i, s64 row, s64 column) const;

	std::vector<u8>& Cells;
	std::vector<u32> Down;     // uncovered cells straight down from each uncovered cell
	std::vector<u32> SpanDown; // the least of those from each corner of a run to its end
	std::vector<u32> Climbing; // columns above a new box whose counts are still being lowered
	std::vector<size_t> Now;   // a cell of each run to look at again in this pass, ascending
	std::vector<size_t> Next;  // and in the next pass
	std::priority_queue<size_t, std::vector<size_t>, std::greater<size_t>> Ahead; // marked during this pass
	bool FirstPass = true;
};

bool CBlockingGrid::seamAtTopLeft(s64 i, s64 c) const
{
	return (i >= W && blocked(i - W) && (i - W < W || value(i - W - 1) == CELL_OPEN)) ||
		(c > 0 && blocked(i - 1) && (i < W || value(i - W - 1) == CELL_OPEN));
}

bool CBlockingGrid::seamAtTopRight(s64 i, s64 c) const
{
	return (i >= W && blocked(i - W) && value(i - W + 1) == CELL_OPEN) ||
		(c < W - 1 && blocked(i + 1) && (c == W - 2 || i < W || value(i - W + 1) == CELL_OPEN));
}

bool CBlockingGrid::seamAtBottomLeft(s64 i, s64 c) const
{
	return (i + W < N && blocked(i + W) && (c == 0 || value(i + W - 1) == CELL_OPEN)) ||
		(c > 0 && blocked(i - 1) && (i + W - 1 >= N || value(i + W - 1) == CELL_OPEN));
}

bool CBlockingGrid::seamAtBottomRight(s64 i, s64 c) const
{
	return (i + W < N && blocked(i + W) && (i + W + 1 >= N || value(i + W + 1) == CELL_OPEN)) ||
		(c < W - 1 && blocked(i + 1) && (i + W + 1 >= N || value(i + W + 1) == CELL_OPEN));
}

void CBlockingGrid::merge(SBlockingShapes& shapes)
{
	// A rectangle grows right along its row's run of uncovered cells, then
	// down while every cell below its span is uncovered: its height is the
	// least count of uncovered cells straight down from its span. Whether it
	// becomes a box depends on nothing else, so a rejected rectangle stays
	// rejected until a box covers a cell of its run or lowers a count under
	// it. The first pass looks at every run; each box marks the runs it
	// shortens and those above it whose counts it lowers, and the later
	// passes look at the marked runs only, in the order a full pass would
	// reach them. The work follows what the boxes change, not the number of
	// passes times the map.
	Down.resize(static_cast<size_t>(N));
	for (s64 i = N; i-- > 0;)
	{
		const size_t at = static_cast<size_t>(i);
		Down[at] = Cells[at] == CELL_BLOCKING ? 1 + (i + W < N ? Down[at + static_cast<size_t>(W)] : 0) : 0;
	}

	const u8* cells = Cells.data();
	for (s64 r = 0; r < H; ++r)
	{
		const u8* row = cells + r * W;
		for (s64 c = 0; c < W; ++c)
		{
			if (row[c] != CELL_BLOCKING)
				continue;
			s64 last = c;
			while (last + 1 < W && row[last + 1] == CELL_BLOCKING)
				++last;
			if (!seamAtTopRight(r * W + last, last))
				mergeRun(shapes, r, c, last);
			c = last;
		}
	}
	FirstPass = false;

	while (!Next.empty())
	{
		std::sort(Next.begin(), Next.end());
		Next.erase(std::unique(Next.begin(), Next.end()), Next.end());
		Now.swap(Next);
		Next.clear();
		s64 done = -1; // the last cell of the runs this pass has looked at
		size_t k = 0;
		for (;;)
		{
			s64 i;
			if (!Ahead.empty() && (k == Now.size() || Ahead.top() < Now[k]))
			{
				i = static_cast<s64>(Ahead.top());
				Ahead.pop();
			}
			else if (k < Now.size())
			{
				i = static_cast<s64>(Now[k++]);
			}
			else
			{
				break;
			}
			if (i <= done || cells[i] != CELL_BLOCKING)
				continue;
			const s64 r = i / W;
			const u8* row = cells + r * W;
			s64 last = i - r * W;
			while (last + 1 < W && row[last + 1] == CELL_BLOCKING)
				++last;
			done = r * W + last;
			if (seamAtTopRight(done, last))
				continue;
			s64 first = i - r * W;
			while (first > 0 && row[first - 1] == CELL_BLOCKING)
				--first;
			mergeRun(shapes, r, first, last);
		}
	}
}

void CBlockingGrid::mergeRun(SBlockingShapes& shapes, s64 r, s64 first, s64 last)
{
	const s64 start = r * W;
	const size_t length = static_cast<size_t>(last - first + 1);
	SpanDown.resize(length);
	const u32* down = Down.data() + start + first;
	u32 least = down[length - 1];
	for (size_t j = length; j-- > 0;)
	{
		least = std::min(least, down[j]);
		SpanDown[j] = least;
	}
	for (s64 c = first; c <= last; ++c)
	{
		const s64 bottom = r + SpanDown[static_cast<size_t>(c - first)] - 1;
		if (seamAtTopLeft(start + c, c) || seamAtBottomLeft(bottom * W + c, c) ||
			seamAtBottomRight(bottom * W + last, last))
			continue;
		addBox(shapes, r, bottom, c, last);
		return;
	}
}

void CBlockingGrid::addBox(SBlockingShapes& shapes, s64 top, s64 bottom, s64 left, s64 right)
{
	SBlockingBox box;
	box.halfExtents = vector2df((right - left + 1) / 2.0f, (bottom - top + 1) / 2.0f);
	box.center = vector2df(static_cast<f32>(left) + box.halfExtents.X, static_cast<f32>(top) + box.halfExtents.Y);
	shapes.boxes.push_back(box);
	for (s64 r = top; r <= bottom; ++r)
	{
		u8* row = Cells.data() + r * W;
		std::fill(row + left, row + right + 1, CELL_COVERED);
		// The run it cuts ends before it now; the cells after it keep their
		// run's end and their counts. A later pass still reaches a cut below
		// the corner; a full pass reaches every run anyway.
		if (left > 0 && row[left - 1] == CELL_BLOCKING)
		{
			if (r == top)
				Next.push_back(static_cast<size_t>(r * W + left - 1));
			else if (!FirstPass)
				Ahead.push(static_cast<size_t>(r * W + left - 1));
		}
	}
	lowerCountsAbove(top, left, right);
}

void CBlockingGrid::lowerCountsAbove(s64 top, s64 left, s64 right)
{
	Climbing.clear();
	for (s64 c = left; c <= right; ++c)
		Climbing.push_back(static_cast<u32>(c));
	for (s64 r = top - 1; r >= 0 && !Climbing.empty(); --r)
	{
		const u32 count = static_cast<u32>(top - r);
		const s64 start = r * W;
		size_t kept = 0;
		s64 previous = -2;
		for (const u32 c : Climbing)
		{
			const size_t i = static_cast<size_t>(start + c);
			if (Cells[i] != CELL_BLOCKING)
				continue;
			Down[i] = count;
			// One mark at the end of each stretch of lowered cells: the
			// corners whose rectangle it can change lie at or before it.
			if (previous >= 0 && static_cast<s64>(c) != previous + 1)
				Next.push_back(static_cast<size_t>(start + previous));
			previous = c;
			Climbing[kept++] = c;
		}
		if (previous >= 0)
			Next.push_back(static_cast<size_t>(start + previous));
		Climbing.resize(kept);
	}
}

unsigned CBlockingGrid::openSides(s64 i, s64 row, s64 column) const
{
	return (row == 0 || !blocked(i - W) ? SIDE_ABOVE : 0) | (row == H - 1 || !blocked(i + W) ? SIDE_BELOW : 0) |
		(column == 0 || !blocked(i - 1) ? SIDE_LEFT : 0) | (column == W - 1 || !blocked(i + 1) ? SIDE_RIGHT : 0);
}

void CBlockingGrid::addEdges(SBlockingShapes& shapes) const
{
	// Counted first: the edges of a large map are many, and growing the list
	// step by step would copy them over and over.
	size_t count = 0;
	for (s64 row = 0; row < H; ++row)
		for (s64 column = 0; column < W; ++column)
		{
			const s64 i = row * W + column;
			if (Cells[static_cast<size_t>(i)] == CELL_BLOCKING)
				count += EDGES_OF_SIDES[openSides(i, row, column)];
		}
	shapes.edges.reserve(shapes.edges.size() + count);

	for (s64 row = 0; row < H; ++row)
		for (s64 column = 0; column < W; ++column)
		{
			const s64 i = row * W + column;
			if (Cells[static_cast<size_t>(i)] != CELL_BLOCKING)
				continue;
			const unsigned open = openSides(i, row, column);
			const bool above = !(open & SIDE_ABOVE);
			const bool below = !(open & SIDE_BELOW);
			const bool left = !(open & SIDE_LEFT);
			const bool right = !(open & SIDE_RIGHT);
			const f32 c = static_cast<f32>(column);
			const f32 r = static_cast<f32>(row);
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

//! Tile corners to the body's frame in physics units.
struct STilePlacement
{
	f32 tileX;   // physics units a tile is wide
	f32 tileY;   // and high
	f32 originX; // where corner (0, 0) lies
	f32 originY;

	b2Vec2 operator()(const vector2df& corner) const
	{
		return b2Vec2(corner.X * tileX + originX, corner.Y * tileY + originY);
	}
};

} // namespace

BlockingTileSet readBlockingTileSet(const char* text, size_t size)
{
	BlockingTileSet blocking(256 * 256, false);
	const char* end = text + size;
	bool haveColumn = false;
	u32 column = 0;
	for (const char* p = text; p < end;)
	{
		const char* pieceEnd = p;
		while (pieceEnd < end && !isSeparator(*pieceEnd))
			++pieceEnd;
		if (pieceEnd > p)
		{
			const u32 value = pieceValue(p, pieceEnd) & 0xFF;
			if (haveColumn)
				blocking[column * 256 + value] = true;
			else
				column = value;
			haveColumn = !haveColumn;
		}
		p = pieceEnd + 1;
	}
	return blocking;
}

SBlockingShapes mergeBlockingTiles(u32 width, u32 height, std::vector<u8> cells)
{
	SBlockingShapes shapes;
	if (width == 0 || height == 0 || cells.size() != static_cast<size_t>(width) * height)
		return shapes;
	CBlockingGrid grid(width, height, cells);
	grid.merge(shapes);
	grid.addEdges(shapes);
	return shapes;
}

void buildBlockingTiles(CTiledSceneObject& object, irr::io::IFileSystem* fileSystem, const irr::core::ustring16& path)
{
	const std::vector<u8>& tiles = object.getTiles();
	const u32 width = object.getColumns();
	const u32 height = object.getRows();
	if (!isTileByteCountValid(tiles.size(), width, height))
		return reportRefusal("xml", "Error loading blocking_tiles: The tile data does not match the map size.");
	// Shapes are measured in tiles of this size: without one they would have none.
	if (object.getTileWidth() == 0 || object.getTileHeight() == 0)
		return reportRefusal("xml", "Error loading blocking_tiles: The tile size has a value of 0.");
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	if (!physics || physics->getPixelsPerUnit() == 0)
		return reportRefusal("xml", "Error loading blocking_tiles: Pixels per unit is 0.");
	if (!object.getBody())
		return;

	std::string text;
	if (!readContentFile(fileSystem, path, text, MAX_BLOCKING_TILES_FILE_SIZE))
		return;
	const BlockingTileSet blocking = readBlockingTileSet(text.data(), text.size());
	std::vector<u8> cells(static_cast<size_t>(width) * height);
	for (size_t i = 0; i < cells.size(); ++i)
		cells[i] = blocking[tiles[2 * i] * 256u + tiles[2 * i + 1]] ? CELL_BLOCKING : CELL_OPEN;
	const SBlockingShapes shapes = mergeBlockingTiles(width, height, std::move(cells));

	const f32 pixelsPerUnit = physics->getPixelsPerUnit();
	STilePlacement place;
	place.tileX = static_cast<f32>(object.getTileWidth()) / pixelsPerUnit;
	place.tileY = static_cast<f32>(object.getTileHeight()) / pixelsPerUnit;
	place.originX = -(static_cast<f32>(width) * place.tileX) / 2.0f;
	place.originY = -(static_cast<f32>(height) * place.tileY) / 2.0f;

	const std::string where = "Blocking tiles of object (" + std::to_string(object.getId()) + ")";
	// Once the world is full, every further shape would be refused as well.
	const auto worldFull = [&object, &where](const b2Shape& shape) {
		return addLevelShape(object, shape, BLOCKING_DENSITY, BLOCKING_FRICTION, BLOCKING_RESTITUTION, where) ==
			ESR_WORLD_FULL;
	};
	for (const SBlockingBox& box : shapes.boxes)
	{
		b2PolygonShape polygon;
		if (fitBox(polygon, box.halfExtents.X * place.tileX, box.halfExtents.Y * place.tileY, place(box.center),
				0.0f) == ESF_EXACT &&
			worldFull(polygon))
			return;
	}
	for (const SBlockingEdge& edge : shapes.edges)
	{
		b2EdgeShape shape;
		if (fitOneSidedEdge(shape, place(edge.ghostBefore), place(edge.from), place(edge.to), place(edge.ghostAfter)) ==
				ESF_EXACT &&
			worldFull(shape))
			return;
	}
}

} // namespace orv
