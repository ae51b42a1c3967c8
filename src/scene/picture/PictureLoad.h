#pragma once

namespace irr {
class IrrlichtDevice;
namespace io {
class IReadFile;
}
namespace video {
class IImage;
}
} // namespace irr

namespace orv {

//! The picture in the file as a new image the caller drops, or null.
/** The whole file is read and checked by the image header guard first; only
    the Irrlicht loader of the format the guard found then sees it, from
    memory, so neither the file's name nor its contents can pick another
    loader. A BMP or TGA that loader would draw wrong is converted by the
    client instead, and an SGI picture is mended after loading. A refused
    file leaves the reason in `refusal` (null when the file could not be read
    or the loader failed on its own). */
irr::video::IImage* loadPicture(irr::IrrlichtDevice* device, irr::io::IReadFile* file, const char*& refusal);

} // namespace orv
