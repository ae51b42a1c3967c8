#include "level/BlockingTiles.h"

#include <algorithm>
#include <string>

#include <ILogger.h>
#include <box2d/box2d.h>

#include "scene/ContentPath.h"
#include "scene/ImageSizeGuard.h"
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
	for (const char* p = begin; p < end; ++p) {
		if (*p < '0' || *p > '9')
			return 0;
		value = value * 10 + static_cast<u32>(*p - '0');
		if (value > 0xFFFF)
			return 0;
	}
	return value;
}

//! The grid being merged, with the index arithmetic the merge is written in.
/** Indices are signed: the checks look at cells before and after a corner. */
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

	s64 column(s64 i) const { return i % W; }
	s64 row(s64 i) const { return i / W; }
	u8 value(s64 i) const { return i >= 0 && i < N ? Cells[static_cast<size_t>(i)] : CELL_OPEN; }
	bool blocked(s64 i) const { return value(i) != CELL_OPEN; }
	bool blocking(s64 i) const { return value(i) == CELL_BLOCKING; }

	//! One pass over the grid: every rectangle that passes the corner checks
	//! becomes a box. The number of boxes made.
	u32 mergePass(SBlockingShapes& shapes);
	//! Edges along the open sides of the cells no box covers.
	void addEdges(SBlockingShapes& shapes) const;

	const s64 W;
	const s64 H;
	const s64 N;

private:
	// A rectangle whose corner meets a blocked neighbour is kept only where
	// the blocked region goes on diagonally past it too; otherwise its edge
	// would leave a seam in the outline. Indices are used as written, also
	// where at the map's sides they reach into the next or previous row.
	bool isRejected(s64 tl, s64 tr, s64 bl, s64 br) const;
	//! Records the box of those corners and covers its cells.
	void addBox(SBlockingShapes& shapes, s64 tl, s64 tr, s64 bl);

	std::vector<u8>& Cells;
	std::vector<u32> Uncovered; // blocking cells no box covers yet, ascending
	bool Listed = false;
	std::vector<u32> Down; // uncovered cells straight down from each, this pass
};

bool CBlockingGrid::isRejected(s64 tl, s64 tr, s64 bl, s64 br) const
{
	if (tl >= W && blocked(tl - W) && (tl - W < W || value(tl - W - 1) == CELL_OPEN))
		return true;
	if (tr >= W && blocked(tr - W) && value(tr - W + 1) == CELL_OPEN)
		return true;
	if (bl + W < N && blocked(bl + W) && (column(bl) == 0 || value(bl + W - 1) == CELL_OPEN))
		return true;
	if (br + W < N && blocked(br + W) && (br + W + 1 >= N || value(br + W + 1) == CELL_OPEN))
		return true;
	if (column(tl) > 0 && blocked(tl - 1) && (tl < W || value(tl - W - 1) == CELL_OPEN))
		return true;
	if (column(tr) < W - 1 && blocked(tr + 1) &&
		(column(tr) == W - 2 || tr < W || value(tr - W + 1) == CELL_OPEN))
		return true;
	if (column(bl) > 0 && blocked(bl - 1) && (bl + W - 1 >= N || value(bl + W - 1) == CELL_OPEN))
		return true;
	if (column(br) < W - 1 && blocked(br + 1) && (br + W + 1 >= N || value(br + W + 1) == CELL_OPEN))
		return true;
	return false;
}

u32 CBlockingGrid::mergePass(SBlockingShapes& shapes)
{
	// A rectangle grows right along its row's run of uncovered cells, then
	// down while every cell below its span is uncovered: its height is the
	// least count of uncovered cells straight down from its span. Boxes made
	// earlier in the pass cover only cells at or after their own corner, so
	// these counts, taken once at the start, stay true for every cell still
	// uncovered; and every corner of one run shares that run's end. That
	// keeps a pass linear in the cells instead of growing each rectangle anew,
	// and a later pass visits only the cells the earlier ones left uncovered.
	if (!Listed) {
		for (s64 i = 0; i < N; ++i)
			if (blocking(i))
				Uncovered.push_back(static_cast<u32>(i));
		Down.resize(static_cast<size_t>(N));
		Listed = true;
	}
	for (size_t k = Uncovered.size(); k-- > 0;) {
		const s64 i = Uncovered[k];
		Down[static_cast<size_t>(i)] =
			1 + (i + W < N && Cells[static_cast<size_t>(i + W)] == CELL_BLOCKING ? Down[static_cast<size_t>(i + W)] : 0);
	}

	std::vector<u32> spanDown;
	u32 made = 0;
	size_t k = 0;
	while (k < Uncovered.size()) {
		const s64 first = Uncovered[k];
		if (!blocking(first)) {
			++k;
			continue;
		}
		const s64 rowEnd = first - column(first) + W;
		size_t last = k;
		while (last + 1 < Uncovered.size() && Uncovered[last + 1] == Uncovered[last] + 1 &&
			Uncovered[last + 1] < rowEnd && Cells[Uncovered[last + 1]] == CELL_BLOCKING)
			++last;
		// The least count from each corner of the run to its end.
		spanDown.assign(last - k + 1, 0);
		u32 least = Down[Uncovered[last]];
		for (size_t j = last + 1; j-- > k;) {
			least = std::min(least, Down[Uncovered[j]]);
			spanDown[j - k] = least;
		}
		const s64 tr = Uncovered[last];
		for (size_t j = k; j <= last; ++j) {
			const s64 tl = Uncovered[j];
			const s64 below = static_cast<s64>(spanDown[j - k] - 1) * W;
			if (isRejected(tl, tr, tl + below, tr + below))
				continue;
			addBox(shapes, tl, tr, tl + below);
			++made;
			break;
		}
		k = last + 1;
	}
	Uncovered.erase(std::remove_if(Uncovered.begin(), Uncovered.end(),
						[this](u32 i) { return Cells[i] != CELL_BLOCKING; }),
		Uncovered.end());
	return made;
}

void CBlockingGrid::addBox(SBlockingShapes& shapes, s64 tl, s64 tr, s64 bl)
{
	const s64 columns = tr - tl + 1;
	const s64 rows = (bl - tl) / W + 1;
	SBlockingBox box;
	box.halfExtents = vector2df(columns / 2.0f, rows / 2.0f);
	box.center =
		vector2df(static_cast<f32>(column(tl)) + box.halfExtents.X, static_cast<f32>(row(tl)) + box.halfExtents.Y);
	shapes.boxes.push_back(box);
	for (s64 r = tl; r <= bl; r += W)
		std::fill(Cells.begin() + r, Cells.begin() + r + columns, CELL_COVERED);
}

void CBlockingGrid::addEdges(SBlockingShapes& shapes) const
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

void warn(irr::ILogger* logger, const char* message)
{
	if (logger)
		logger->log("xml", message, irr::ELL_WARNING);
}

} // namespace

BlockingTileSet readBlockingTileSet(const char* text, size_t size)
{
	BlockingTileSet blocking(256 * 256, false);
	const char* end = text + size;
	bool haveColumn = false;
	u32 column = 0;
	for (const char* p = text; p < end;) {
		const char* pieceEnd = p;
		while (pieceEnd < end && !isSeparator(*pieceEnd))
			++pieceEnd;
		if (pieceEnd > p) {
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
	while (grid.mergePass(shapes) != 0) {
	}
	grid.addEdges(shapes);
	return shapes;
}

void buildBlockingTiles(CTiledSceneObject& object, irr::io::IFileSystem* fileSystem, const irr::core::ustring16& path,
	irr::ILogger* logger)
{
	const std::vector<u8>& tiles = object.getTiles();
	const u32 width = object.getColumns();
	const u32 height = object.getRows();
	if (!isTileByteCountValid(tiles.size(), width, height))
		return warn(logger, "Error loading blocking_tiles: The tile data does not match the map size.");
	// Shapes are measured in tiles of this size: without one they would have none.
	if (object.getTileWidth() == 0 || object.getTileHeight() == 0)
		return warn(logger, "Error loading blocking_tiles: The tile size has a value of 0.");
	CPhysicsManager* physics = CPhysicsManager::getInstance();
	if (!physics || physics->getPixelsPerUnit() == 0)
		return warn(logger, "Error loading blocking_tiles: Pixels per unit is 0.");
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

	for (const SBlockingBox& box : shapes.boxes) {
		b2PolygonShape polygon;
		if (fitBox(polygon, box.halfExtents.X * place.tileX, box.halfExtents.Y * place.tileY, place(box.center),
				0.0f) == ESF_EXACT)
			object.Physics.addFittedShape(polygon, BLOCKING_DENSITY, BLOCKING_FRICTION, BLOCKING_RESTITUTION);
	}
	for (const SBlockingEdge& edge : shapes.edges) {
		b2EdgeShape shape;
		if (fitOneSidedEdge(shape, place(edge.ghostBefore), place(edge.from), place(edge.to),
				place(edge.ghostAfter)) == ESF_EXACT)
			object.Physics.addFittedShape(shape, BLOCKING_DENSITY, BLOCKING_FRICTION, BLOCKING_RESTITUTION);
	}
}

} // namespace orv
