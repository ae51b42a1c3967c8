#pragma once

#include "scene/CImage.h"

namespace orv {

//! An image whose picture is the file its name names in the device's file
//! system, found as content names are ('\\' as '/', any case on disk).
class CStaticImage : public CImage
{
public:
	CStaticImage(irr::IrrlichtDevice* device, const irr::core::ustring16& name) : CImage(device, name) {}

	EImageType getType() const override { return EIT_STATIC; }
	//! The file's picture; null when there is no such file, the image header
	//! guard refuses it (logged as a warning), or its loader fails.
	irr::video::IImage* compose() override;
};

} // namespace orv
