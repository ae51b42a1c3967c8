// Every picture file through the client's picture path under libFuzzer: the
// reader of the format its bytes name, which checks the headers and decodes
// itself or through the one Irrlicht loader of that format.
//
// Input: [name byte][file bytes]. An odd name byte names the file ".tga", so
// TGA files are read by name as well as by their footer.

#include "scene/picture/PictureLoad.h"

#include <IFileSystem.h>
#include <IImage.h>
#include <IReadFile.h>
#include <irrlicht.h>

#include <cstdio>
#include <cstdlib>

namespace {

irr::IrrlichtDevice* device()
{
	static irr::IrrlichtDevice* instance = [] {
		irr::IrrlichtDevice* made = irr::createDevice(irr::video::EDT_NULL);
		if (!made)
		{
			std::fprintf(stderr, "the null device does not start\n");
			std::abort();
		}
		made->getLogger()->setLogLevel(irr::ELL_NONE);
		return made;
	}();
	return instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const irr::u8* data, std::size_t size)
{
	if (size < 1)
		return 0;
	irr::IrrlichtDevice* d = device();
	const irr::io::path name = (data[0] & 1) ? "fuzz.tga" : "fuzz.bin";
	irr::io::IReadFile* file = d->getFileSystem()->createMemoryReadFile(
		const_cast<irr::u8*>(data + 1), static_cast<irr::s32>(size - 1), name, false);
	const char* refusal = nullptr;
	if (irr::video::IImage* picture = orv::loadPicture(d, file, refusal))
	{
		// The whole picture is there to read.
		const irr::core::dimension2du size2 = picture->getDimension();
		volatile irr::u32 sink = picture->getPixel(size2.Width - 1, size2.Height - 1).color;
		(void)sink;
		picture->drop();
	}
	file->drop();
	return 0;
}
