#include "scene/picture/ImageSizeGuard.h"

namespace orv {

bool isImageSizeAllowed(irr::u64 width, irr::u64 height)
{
	if (width == 0 || height == 0 || width > IMAGE_MAX_EDGE || height > IMAGE_MAX_EDGE)
		return false;
	// Both edges are at most 2^14, so the product cannot wrap.
	return width * height * 4 <= IMAGE_MAX_BYTES;
}

bool computeTiledImageSize(
	irr::s64 tileWidth, irr::s64 tileHeight, irr::s64 columns, irr::s64 rows, irr::core::dimension2du& size)
{
	if (tileWidth <= 0 || tileHeight <= 0 || columns <= 0 || rows <= 0)
		return false;
	// Each factor is checked against the edge before multiplying, so the
	// products stay far inside 64 bits whatever the caller passed.
	const irr::u64 edge = IMAGE_MAX_EDGE;
	if (irr::u64(tileWidth) > edge || irr::u64(columns) > edge || irr::u64(tileHeight) > edge || irr::u64(rows) > edge)
		return false;
	const irr::u64 width = irr::u64(tileWidth) * irr::u64(columns);
	const irr::u64 height = irr::u64(tileHeight) * irr::u64(rows);
	if (!isImageSizeAllowed(width, height))
		return false;
	size.Width = static_cast<irr::u32>(width);
	size.Height = static_cast<irr::u32>(height);
	return true;
}

bool isTileByteCountValid(irr::u64 byteCount, irr::u64 columns, irr::u64 rows)
{
	// Columns and rows come from 32-bit fields: their product times 2 fits.
	if (columns > 0xFFFFFFFFull || rows > 0xFFFFFFFFull)
		return false;
	const irr::u64 cells = columns * rows;
	if (cells > (~irr::u64(0)) / 2)
		return false;
	return byteCount == cells * 2;
}

} // namespace orv
