#pragma once

#include <vector>

#include "world/CSceneObject.h"

namespace orv {

//! A scene object drawn as a tile map composed from a tileset image.
/** The tile bytes hold two bytes per map cell, row by row: the tileset
    column of the cell's tile, then its tileset row. Sizes are stored as
    given; whoever composes the image checks them. */
class CTiledSceneObject : public CSceneObject
{
public:
	CTiledSceneObject(irr::u32 id, CObjectClass* objectClass) : CSceneObject(id, objectClass) {}

	ESceneObjectType getType() const override { return ESOT_TILED; }

	const irr::core::ustring16& getTileset() const { return Tileset; }
	void setTileset(const irr::core::ustring16& fileName) { Tileset = fileName; }
	//! Size of one tile of the tileset, pixels.
	irr::u32 getTileWidth() const { return TileWidth; }
	irr::u32 getTileHeight() const { return TileHeight; }
	void setTileSize(irr::u32 width, irr::u32 height)
	{
		TileWidth = width;
		TileHeight = height;
	}
	//! Size of the map, tiles.
	irr::u32 getColumns() const { return Columns; }
	irr::u32 getRows() const { return Rows; }
	void setMapSize(irr::u32 columns, irr::u32 rows)
	{
		Columns = columns;
		Rows = rows;
	}
	const std::vector<irr::u8>& getTiles() const { return Tiles; }
	//! Takes the tile bytes (two a cell), their growth counted against the
	//! bound of the world's objects and tile maps. False, the tiles left as
	//! they were, when they do not fit it; the refusal is reported.
	bool setTiles(std::vector<irr::u8>&& tiles);

private:
	irr::core::ustring16 Tileset;
	irr::u32 TileWidth = 0;
	irr::u32 TileHeight = 0;
	irr::u32 Columns = 0;
	irr::u32 Rows = 0;
	std::vector<irr::u8> Tiles;
};

} // namespace orv
