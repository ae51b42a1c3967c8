#include "scene/TextureLayout.h"

#include <algorithm>

namespace orv {

namespace {

irr::u64 nextPowerOfTwo(irr::u64 value)
{
	irr::u64 power = 1;
	while (power < value)
		power <<= 1;
	return power;
}

irr::u16 pieceCount(irr::u64 edge, irr::u64 pieceEdge)
{
	if (edge == 0 || pieceEdge == 0)
		return 1;
	const irr::u64 count = (edge - 1) / pieceEdge + 1;
	return static_cast<irr::u16>(std::min<irr::u64>(count, 0xFFFF));
}

} // namespace

STextureLayout computeTextureLayout(const irr::core::dimension2du& picture, const STextureLimits& limits)
{
	irr::u64 width = picture.Width;
	irr::u64 height = picture.Height;
	if (!limits.NonPowerOfTwo)
	{
		width = nextPowerOfTwo(width);
		height = nextPowerOfTwo(height);
	}
	if (!limits.NonSquare)
		width = height = std::max(width, height);
	if (limits.MaxEdge != 0)
	{
		width = std::min<irr::u64>(width, limits.MaxEdge);
		height = std::min<irr::u64>(height, limits.MaxEdge);
	}

	STextureLayout layout;
	layout.PieceSize.Width = static_cast<irr::u32>(std::min<irr::u64>(width, 0xFFFFFFFFu));
	layout.PieceSize.Height = static_cast<irr::u32>(std::min<irr::u64>(height, 0xFFFFFFFFu));
	if (layout.PieceSize.Width < picture.Width || layout.PieceSize.Height < picture.Height)
	{
		layout.Columns = pieceCount(picture.Width, layout.PieceSize.Width);
		layout.Rows = pieceCount(picture.Height, layout.PieceSize.Height);
	}
	return layout;
}

} // namespace orv
