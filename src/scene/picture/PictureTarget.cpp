#include "scene/picture/PictureTarget.h"

#include <IImage.h>
#include <IVideoDriver.h>

#include "scene/picture/PictureCopy.h"

namespace orv {

using irr::u32;

u32 widenChannel(u32 value, u32 mask)
{
	if (mask == 0)
		return 255;
	u32 shift = 0;
	while ((mask >> shift & 1) == 0)
		++shift;
	u32 width = 0;
	while (shift + width < 32 && (mask >> (shift + width) & 1) != 0)
		++width;
	const u32 bits = (value & mask) >> shift;
	u32 widened = 0;
	u32 filled = 0;
	for (; filled < 8; filled += width)
		widened = widened << width | bits;
	return widened >> (filled - 8);
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
