#include "scene/CTiledImage.h"

#include <IImage.h>
#include <IrrlichtDevice.h>

#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/PictureCopy.h"

namespace orv {

using irr::s64;

void CTiledImage::setMap(CImage* tileset, irr::u32 tileWidth, irr::u32 tileHeight, irr::u32 columns, irr::u32 rows,
	const std::vector<irr::u8>& tiles)
{
	Tileset = tileset;
	TileWidth = tileWidth;
	TileHeight = tileHeight;
	Columns = columns;
	Rows = rows;
	Tiles = tiles;
	irr::core::dimension2du size(0, 0);
	computeTiledImageSize(tileWidth, tileHeight, columns, rows, size);
	setSize(size);
}

irr::video::IImage* CTiledImage::compose()
{
	if (Composing || !Tileset || Tiles.empty() || !isTileByteCountValid(Tiles.size(), Columns, Rows))
		return nullptr;
	irr::core::dimension2du size;
	if (!computeTiledImageSize(TileWidth, TileHeight, Columns, Rows, size))
	{
		// Checked before anything is composed or allocated.
		warn("Tile map too large or without size; it is not composed:");
		return nullptr;
	}

	Composing = true;
	irr::video::IImage* tilesetPicture = Tileset->compose();
	Composing = false;
	if (!tilesetPicture)
		return nullptr;
	irr::video::IImage* target = createClearedPicture(getDevice()->getVideoDriver(), size);
	if (!target)
	{
		tilesetPicture->drop();
		return nullptr;
	}

	const irr::core::rect<s64> clip(0, 0, size.Width, size.Height);
	const irr::u64 cells = irr::u64(Columns) * Rows;
	for (irr::u64 i = 0; i < cells; ++i)
	{
		const s64 tileColumn = Tiles[2 * i];
		const s64 tileRow = Tiles[2 * i + 1];
		const s64 left = tileColumn * TileWidth;
		const s64 top = tileRow * TileHeight;
		const irr::core::rect<s64> tile(left, top, left + TileWidth, top + TileHeight);
		copyPicture(
			tilesetPicture, target, s64(TileWidth) * s64(i % Columns), s64(TileHeight) * s64(i / Columns), tile, &clip);
	}
	tilesetPicture->drop();
	return target;
}

} // namespace orv
