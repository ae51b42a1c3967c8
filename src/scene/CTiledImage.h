#pragma once

#include <vector>

#include "scene/CImage.h"

namespace orv {

//! An image composed from a tile map: cells of a tileset picture, laid row by row.
class CTiledImage : public CImage
{
public:
	CTiledImage(irr::IrrlichtDevice* device, const irr::core::ustring16& name) : CImage(device, name) {}

	EImageType getType() const override { return EIT_TILED; }

	//! Takes the map: the tileset (borrowed, an entry of the image cache), the
	//! tile size in pixels, the map size in cells and a copy of the tile bytes
	//! (tileset column, then tileset row, per cell). The picture size becomes
	//! the tile size times the cells; a size the image size guard refuses
	//! leaves it (0, 0), and the map composes nothing.
	void setMap(CImage* tileset, irr::u32 tileWidth, irr::u32 tileHeight, irr::u32 columns, irr::u32 rows,
		const std::vector<irr::u8>& tiles);

	//! The composed map; null without a tileset, with a tile size or map size
	//! the guard refuses, or with tile bytes other than two per cell.
	irr::video::IImage* compose() override;

	CImage* getTileset() const { return Tileset; }
	const std::vector<irr::u8>& getTiles() const { return Tiles; }
	irr::u32 getColumns() const { return Columns; }
	irr::u32 getRows() const { return Rows; }
	irr::u32 getTileWidth() const { return TileWidth; }
	irr::u32 getTileHeight() const { return TileHeight; }

private:
	CImage* Tileset = nullptr;
	std::vector<irr::u8> Tiles;
	irr::u32 Columns = 0;
	irr::u32 Rows = 0;
	irr::u32 TileWidth = 0;
	irr::u32 TileHeight = 0;
	// A tileset named after a tile map ("TiledObject_..." as a file name) can
	// lead back to this map; the second visit composes nothing.
	bool Composing = false;
};

} // namespace orv
