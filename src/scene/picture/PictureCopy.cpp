#include "scene/picture/PictureCopy.h"

#include <algorithm>

#include <IImage.h>
#include <IVideoDriver.h>

namespace orv {

using irr::s64;

bool hasPixelData(irr::video::IImage* picture)
{
	if (!picture)
		return false;
	const irr::core::dimension2du& size = picture->getDimension();
	const irr::u64 needed = irr::u64(size.Width) * size.Height * picture->getBytesPerPixel();
	const bool data = picture->lock() != nullptr;
	picture->unlock();
	return data && needed == picture->getImageDataSizeInBytes();
}

irr::video::IImage* createClearedPicture(irr::video::IVideoDriver* driver, const irr::core::dimension2du& size)
{
	if (!driver)
		return nullptr;
	irr::video::IImage* picture = driver->createImage(irr::video::ECF_A8R8G8B8, size);
	if (!picture)
		return nullptr;
	if (!hasPixelData(picture))
	{
		picture->drop();
		return nullptr;
	}
	picture->fill(irr::video::SColor(0));
	return picture;
}

void copyPicture(irr::video::IImage* source, irr::video::IImage* target, s64 x, s64 y,
	const irr::core::rect<s64>& sourceRect, const irr::core::rect<s64>* clip)
{
	if (!hasPixelData(source) || !hasPixelData(target))
		return;

	s64 left = sourceRect.UpperLeftCorner.X;
	s64 top = sourceRect.UpperLeftCorner.Y;
	s64 right = sourceRect.LowerRightCorner.X;
	s64 bottom = sourceRect.LowerRightCorner.Y;

	// Source side: what lies outside the source picture is not there to copy.
	const irr::core::dimension2du& from = source->getDimension();
	if (left < 0)
	{
		x -= left;
		left = 0;
	}
	if (top < 0)
	{
		y -= top;
		top = 0;
	}
	right = std::min<s64>(right, from.Width);
	bottom = std::min<s64>(bottom, from.Height);

	// Target side: the target picture, then the clip rectangle.
	const irr::core::dimension2du& to = target->getDimension();
	s64 minX = 0;
	s64 minY = 0;
	s64 maxX = to.Width;
	s64 maxY = to.Height;
	if (clip)
	{
		minX = std::max(minX, clip->UpperLeftCorner.X);
		minY = std::max(minY, clip->UpperLeftCorner.Y);
		maxX = std::min(maxX, clip->LowerRightCorner.X);
		maxY = std::min(maxY, clip->LowerRightCorner.Y);
	}
	if (x < minX)
	{
		left += minX - x;
		x = minX;
	}
	if (y < minY)
	{
		top += minY - y;
		y = minY;
	}
	right = std::min(right, left + (maxX - x));
	bottom = std::min(bottom, top + (maxY - y));
	if (right <= left || bottom <= top)
		return;

	// Everything is now inside both pictures, whose edges fit 32 bits.
	const irr::core::recti part(static_cast<irr::s32>(left), static_cast<irr::s32>(top), static_cast<irr::s32>(right),
		static_cast<irr::s32>(bottom));
	source->copyTo(target, irr::core::position2di(static_cast<irr::s32>(x), static_cast<irr::s32>(y)), part);
}

irr::video::IImage* createPiecePicture(irr::video::IVideoDriver* driver, irr::video::IImage* picture,
	const irr::core::dimension2du& pieceSize, irr::u32 column, irr::u32 row)
{
	if (!picture)
		return nullptr;
	irr::video::IImage* piece = createClearedPicture(driver, pieceSize);
	if (!piece)
		return nullptr;
	const s64 left = s64(pieceSize.Width) * column;
	const s64 top = s64(pieceSize.Height) * row;
	const irr::core::rect<s64> part(left, top, left + pieceSize.Width, top + pieceSize.Height);
	copyPicture(picture, piece, 0, 0, part);
	return piece;
}

} // namespace orv
