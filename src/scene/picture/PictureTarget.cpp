#include "scene/picture/PictureTarget.h"

#include <IImage.h>
#include <IVideoDriver.h>

#include "scene/picture/PictureCopy.h"

namespace orv {

using irr::u32;

CPixelChannel::CPixelChannel(u32 mask) : Mask(mask), Shift(0), Widened()
{
	if (mask == 0)
		return;
	while ((mask >> Shift & 1) == 0)
		++Shift;
	u32 width = 0;
	while (Shift + width < 32 && (mask >> (Shift + width) & 1) != 0)
		++width;
	// Past 8 bits only the top 8 count.
	if (width > 8)
	{
		Shift += width - 8;
		width = 8;
	}
	for (u32 bits = 0; bits < (1u << width); ++bits)
	{
		u32 widened = 0;
		u32 filled = 0;
		for (; filled < 8; filled += width)
			widened = widened << width | bits;
		Widened[bits] = irr::u8(widened >> (filled - 8));
	}
}

CPictureTarget::CPictureTarget(irr::video::IVideoDriver* driver, u32 width, u32 height)
	: Picture(driver ? driver->createImage(irr::video::ECF_A8R8G8B8, irr::core::dimension2du(width, height)) : nullptr)
	, Pixels(nullptr)
	, Width(width)
	, Count(irr::u64(width) * height)
{
	if (hasPixelData(Picture))
		Pixels = static_cast<u32*>(Picture->lock());
}

CPictureTarget::~CPictureTarget()
{
	if (Pixels)
		Picture->unlock();
	if (Picture)
		Picture->drop();
}

void CPictureTarget::makeOpaque()
{
	for (irr::u64 i = 0; i < Count; ++i)
		Pixels[i] |= 0xFF000000u;
}

irr::video::IImage* CPictureTarget::release()
{
	irr::video::IImage* made = Picture;
	if (Pixels)
		Picture->unlock();
	Pixels = nullptr;
	Picture = nullptr;
	return made;
}

} // namespace orv
