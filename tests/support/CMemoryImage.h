#pragma once

#include <IImage.h>
#include <IVideoDriver.h>

#include "scene/CImage.h"

namespace orv {
namespace test {

//! An image whose picture is held in memory; counts how often it is composed.
class CMemoryImage : public CImage
{
public:
	//! Takes a reference to the picture (null composes nothing).
	CMemoryImage(irr::IrrlichtDevice* device, const char* name, irr::video::IImage* picture)
		: CImage(device, name)
		, Picture(picture)
	{
		if (Picture)
			Picture->grab();
	}
	~CMemoryImage() override { setPicture(nullptr); }

	irr::video::IImage* compose() override
	{
		++Composed;
		if (Picture)
			Picture->grab();
		return Picture;
	}
	void setPicture(irr::video::IImage* picture)
	{
		if (picture)
			picture->grab();
		if (Picture)
			Picture->drop();
		Picture = picture;
	}

	irr::video::IImage* Picture;
	int Composed = 0;
};

//! A new picture of one colour; the caller drops it.
inline irr::video::IImage* createFilledPicture(irr::video::IVideoDriver* driver, irr::u32 width, irr::u32 height,
	irr::video::SColor colour = irr::video::SColor(255, 40, 80, 120),
	irr::video::ECOLOR_FORMAT format = irr::video::ECF_A8R8G8B8)
{
	irr::video::IImage* image = driver->createImage(format, irr::core::dimension2du(width, height));
	image->fill(colour);
	return image;
}

} // namespace test
} // namespace orv
