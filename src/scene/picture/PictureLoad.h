#pragma once

#include <irrTypes.h>

namespace irr {
class IrrlichtDevice;
namespace io {
class IReadFile;
}
namespace video {
class IImage;
}
} // namespace irr

// Every picture file is read here, from its bytes, before any decoder sees
// it. Irrlicht 1.8's loaders trust their headers: sizes that wrap its 32- and
// 16-bit arithmetic, data offsets before the header's end, run lengths past
// the picture, palette indices past the palette, and JPEG streams that end
// early all make them read or write outside their buffers. The format is
// found by the first bytes, and its reader alone reads the file.
namespace orv {

//! A picture file is read whole; no picture the size guard allows needs
//! more than its pixels and a palette.
const irr::u64 PICTURE_MAX_FILE_BYTES = (irr::u64(256) << 20) + (irr::u64(1) << 20);

//! The picture in the file as a new image the caller drops, or null.
/** PNG, JPEG, BMP, PCX and SGI are known by their first bytes; TGA has no
    signature and is taken as one only when the file is named ".tga" or ends
    with the TGA 2.0 footer. A refused file leaves the reason in `refusal`
    (null when the file could not be read or a decoder failed on its own). */
irr::video::IImage* loadPicture(irr::IrrlichtDevice* device, irr::io::IReadFile* file, const char*& refusal);

} // namespace orv
