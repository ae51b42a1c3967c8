#pragma once

#include <irrTypes.h>

#include "scene/picture/PictureFormats.h"

namespace orv {

//! The file through the one Irrlicht loader that answers to the extension
//! ("png", "jpg", "pcx" or "rgb"), from memory, so that neither the file's
//! name nor its contents can pick another loader. Null when that loader
//! fails; null with a refusal when the picture it makes is not the size the
//! header said.
irr::video::IImage* loadThroughIrrlicht(
	const SPictureFile& file, const char* extension, irr::u32 width, irr::u32 height, const char*& refusal);

} // namespace orv
