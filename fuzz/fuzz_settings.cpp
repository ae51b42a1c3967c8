// The settings file under libFuzzer: the input is a "settings.ini" loaded through the file system
// as start-up loads it, parsed, given the defaults start-up writes, read back by number and text,
// and composed as the client writes it at exit; the composed file is parsed and composed again.

#include "engine/CFileBuffer.h"
#include "engine/CIniFile.h"

#include <irrlicht.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct SWorld
{
	irr::IrrlichtDevice* device = nullptr;
	fs::path folder;

	SWorld()
	{
		irr::SIrrlichtCreationParameters params;
		params.DriverType = irr::video::EDT_NULL;
		params.LoggingLevel = irr::ELL_NONE;
		device = irr::createDeviceEx(params);
		if (!device)
		{
			std::fprintf(stderr, "the null device does not start\n");
			std::abort();
		}
		folder = fs::temp_directory_path() / ("orv-fuzz-settings-" + std::to_string(std::random_device()()));
		fs::create_directories(folder);
		device->getFileSystem()->changeWorkingDirectoryTo(folder.string().c_str());
	}
	~SWorld()
	{
		device->drop();
		std::error_code error;
		fs::remove_all(folder, error);
	}
};

SWorld& world()
{
	static SWorld instance;
	return instance;
}

void useDefaults(orv::CIniFile& settings)
{
	orv::CIniSection* font = settings.getSection("Font");
	orv::CIniSection* window = settings.getSection("Window");
	if (!font->has("default"))
		font->set("default", "code2001.ttf");
	if (!window->has("width"))
		window->setNumber("width", 800);
	font->getNumber("default_size");
	window->getNumber("height");
	window->get("driver");
	window->get("vsync");
	settings.getSection("Language")->get("language");
	if (const orv::CIniSection* physics = settings.findSection("Physics"))
		physics->get("debug_draw");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const irr::u8* data, std::size_t size)
{
	SWorld& w = world();
	{
		std::ofstream out(w.folder / "settings.ini", std::ios::binary | std::ios::trunc);
		out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
	}
	orv::CIniFile settings;
	{
		orv::CFileBuffer file;
		file.load(w.device->getFileSystem(), "settings.ini");
		settings.parse(file);
	}
	useDefaults(settings);
	const std::vector<irr::u8> composed = settings.compose();

	orv::CIniFile again;
	orv::CFileBuffer file;
	file.getBytes() = composed;
	again.parse(file);
	again.compose();
	return 0;
}
