#pragma once

#include <cstddef>

#include <irrTypes.h>

#include "scene/picture/ImageHeaderGuard.h"

namespace irr {
namespace video {
class IImage;
class IVideoDriver;
} // namespace video
} // namespace irr

// The pictures Irrlicht's loaders read but draw wrong, put right: BMPs and
// TGAs are decoded here from their bytes, SGI pictures mended after loading.
namespace orv {

//! A BMP or TGA the header guard accepted with `Convert` set, as a new
//! A8R8G8B8 image the caller drops, in the colours a viewer shows; null when
//! the bytes are not such a picture.
irr::video::IImage* createConvertedPicture(
	irr::video::IVideoDriver* driver, const irr::u8* bytes, std::size_t size, EPictureFormat format);

//! Irrlicht's SGI loader puts each pixel's red in the alpha byte, its alpha
//! in red, blue in green and green in blue; puts them back.
void mendSgiChannels(irr::video::IImage* picture);

} // namespace orv
