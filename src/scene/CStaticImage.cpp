#include "scene/CStaticImage.h"

#include <IFileSystem.h>
#include <IReadFile.h>
#include <IVideoDriver.h>
#include <IrrlichtDevice.h>

#include "scene/ContentPath.h"
#include "scene/picture/PictureLoad.h"

namespace orv {

irr::video::IImage* CStaticImage::compose()
{
	irr::IrrlichtDevice* device = getDevice();
	if (!device || !device->getFileSystem() || !device->getVideoDriver())
		return nullptr;
	irr::io::IReadFile* file = openContentFile(device->getFileSystem(), getName());
	if (!file)
		return nullptr;
	const char* refusal = nullptr;
	irr::video::IImage* picture = loadPicture(device, file, refusal);
	file->drop();
	if (refusal)
	{
		const irr::core::stringc line = irr::core::stringc("Picture refused (") + refusal + "):";
		warn(line.c_str());
	}
	return picture;
}

} // namespace orv
