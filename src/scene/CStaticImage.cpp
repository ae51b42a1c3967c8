#include "scene/CStaticImage.h"

#include <IFileSystem.h>
#include <IReadFile.h>
#include <IVideoDriver.h>
#include <IrrlichtDevice.h>

#include "scene/ContentPath.h"

namespace orv {

irr::video::IImage* CStaticImage::compose()
{
	irr::IrrlichtDevice* device = getDevice();
	if (!device || !device->getFileSystem() || !device->getVideoDriver())
		return nullptr;
	irr::io::IReadFile* file = openContentFile(device->getFileSystem(), getName());
	if (!file)
		return nullptr;
	irr::video::IImage* picture = device->getVideoDriver()->createImageFromFile(file);
	file->drop();
	return picture;
}

} // namespace orv
