#include "scene/picture/PictureLoad.h"

#include <IReadFile.h>
#include <IrrlichtDevice.h>
#include <coreutil.h>

#include "base/WholeFile.h"
#include "scene/picture/PictureFormats.h"
#include "scene/picture/PictureRefusals.h"

namespace orv {

namespace {

// TGA last: it has no signature.
const SPictureFormat* const FORMATS[] = {
	&PNG_PICTURES, &JPEG_PICTURES, &BMP_PICTURES, &PCX_PICTURES, &SGI_PICTURES, &TGA_PICTURES};

} // namespace

irr::video::IImage* loadPicture(irr::IrrlichtDevice* device, irr::io::IReadFile* file, const char*& refusal)
{
	refusal = nullptr;
	if (!device || !file || !device->getVideoDriver())
		return nullptr;
	SPictureFile picture;
	picture.Device = device;
	const EWholeFileRead read = readWholeFile(file, static_cast<size_t>(PICTURE_MAX_FILE_BYTES), picture.Bytes);
	if (read == EWFR_REFUSED || (read == EWFR_WHOLE && picture.Bytes.empty()))
	{
		refusal = "the file is empty or too large for a picture";
		return nullptr;
	}
	if (read != EWFR_WHOLE)
		return nullptr;
	picture.NamedTga = irr::core::hasFileExtension(file->getFileName(), "tga");
	for (const SPictureFormat* format : FORMATS)
	{
		if (format->isFormatOf(picture))
			return format->load(picture, refusal);
	}
	refusal = refusals::NOT_A_PICTURE;
	return nullptr;
}

} // namespace orv
