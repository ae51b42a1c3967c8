#include "scene/PictureLoad.h"

#include <vector>

#include <IFileSystem.h>
#include <IImage.h>
#include <IImageLoader.h>
#include <IReadFile.h>
#include <IVideoDriver.h>
#include <IrrlichtDevice.h>
#include <coreutil.h>

#include "base/WholeFile.h"
#include "scene/ImageHeaderGuard.h"
#include "scene/PictureConvert.h"

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

irr::video::IImage* loadPicture(irr::IrrlichtDevice* device, irr::io::IReadFile* file, const char*& refusal)
{
	refusal = nullptr;
	if (!device || !file || !device->getFileSystem() || !device->getVideoDriver())
		return nullptr;
	std::vector<irr::u8> bytes;
	const EWholeFileRead read = readWholeFile(file, static_cast<size_t>(PICTURE_MAX_FILE_BYTES), bytes);
	if (read == EWFR_REFUSED || (read == EWFR_WHOLE && bytes.empty()))
	{
		refusal = "the file is empty or too large for a picture";
		return nullptr;
	}
	if (read != EWFR_WHOLE)
		return nullptr;

	SPictureHeader header;
	const bool namedTga = irr::core::hasFileExtension(file->getFileName(), "tga");
	if (!checkPictureBytes(bytes.data(), bytes.size(), namedTga, header, refusal))
		return nullptr;

	if (header.Convert)
		return createConvertedPicture(device->getVideoDriver(), bytes.data(), bytes.size(), header.Format);

	const irr::io::path name = irr::io::path("picture.") + getPictureExtension(header.Format);
	irr::video::IImageLoader* loader = findLoader(device->getVideoDriver(), name);
	if (!loader)
		return nullptr;
	irr::io::IReadFile* memory = device->getFileSystem()->createMemoryReadFile(
		bytes.data(), static_cast<irr::s32>(bytes.size()), name, false);
	if (!memory)
		return nullptr;
	irr::video::IImage* picture = loader->loadImage(memory);
	memory->drop();
	if (picture && picture->getDimension() != irr::core::dimension2du(header.Width, header.Height))
	{
		picture->drop();
		refusal = "its loader disagrees with its header";
		return nullptr;
	}
	if (header.Format == EPF_SGI)
		mendSgiChannels(picture);
	return picture;
}

} // namespace orv
