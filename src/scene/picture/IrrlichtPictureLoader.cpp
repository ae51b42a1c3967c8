#include "scene/picture/IrrlichtPictureLoader.h"

#include <IFileSystem.h>
#include <IImage.h>
#include <IImageLoader.h>
#include <IReadFile.h>
#include <IVideoDriver.h>
#include <IrrlichtDevice.h>

namespace orv {

namespace {

// Irrlicht asks its loaders newest first; the same order here.
irr::video::IImageLoader* findLoader(irr::video::IVideoDriver* driver, const irr::io::path& name)
{
	for (irr::u32 i = driver->getImageLoaderCount(); i > 0; --i)
	{
		irr::video::IImageLoader* loader = driver->getImageLoader(i - 1);
		if (loader && loader->isALoadableFileExtension(name))
			return loader;
	}
	return nullptr;
}

} // namespace

irr::video::IImage* loadThroughIrrlicht(
	const SPictureFile& file, const char* extension, irr::u32 width, irr::u32 height, const char*& refusal)
{
	irr::IrrlichtDevice* device = file.Device;
	if (!device || !device->getFileSystem() || !device->getVideoDriver() || file.Bytes.empty())
		return nullptr;
	const irr::io::path name = irr::io::path("picture.") + extension;
	irr::video::IImageLoader* loader = findLoader(device->getVideoDriver(), name);
	if (!loader)
		return nullptr;
	// The loader only reads: the memory file does not own the bytes.
	irr::io::IReadFile* memory = device->getFileSystem()->createMemoryReadFile(
		const_cast<irr::u8*>(file.Bytes.data()), static_cast<irr::s32>(file.Bytes.size()), name, false);
	if (!memory)
		return nullptr;
	irr::video::IImage* picture = loader->loadImage(memory);
	memory->drop();
	if (picture && picture->getDimension() != irr::core::dimension2du(width, height))
	{
		picture->drop();
		refusal = "its loader disagrees with its header";
		return nullptr;
	}
	return picture;
}

} // namespace orv
