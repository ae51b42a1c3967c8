// The package list under libFuzzer: the package folder of the real engine, started on the null
// device in a folder of its own, scanned as the login screen scans it; every package found is
// then mounted as Play mounts it, its object classes read and every file it holds read whole.
//
// Input: [kind byte][file]. Kind % 4 picks what the file is: 0 a package file named ".zip"; 1 the
// "package.xml" of a folder package whose class definitions are fixed; 2 the class definitions
// of a folder package whose description is fixed; 3 a package file without an extension, which
// only its first bytes make an archive.

#include "FuzzEngine.h"
#include "frontend/CClassDefinitionReader.h"
#include "frontend/PackageList.h"

#include <IFileArchive.h>
#include <IFileList.h>
#include <IFileSystem.h>
#include <IReadFile.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const DESCRIPTION =
	"<orvpackage version=\"1\"><package name=\"Fixed\" version=\"1.0\"><logo file=\"logo.txt\"/>"
	"<objectclass file=\"classes.xml\"/><description>fixed</description></package></orvpackage>\n";

const char* const CLASSES =
	"<orvclasses version=\"1\"><objectclasses><class name=\"crate\"><attribute name=\"size\" "
	"type=\"int\" value=\"3\"/><script file=\"crate.as\"/></class></objectclasses></orvclasses>\n";

using orv::fuzz::writeFile;

struct SWorld
{
	fs::path root;
	orv::CGameEngine* engine = nullptr;

	SWorld()
	{
		root = orv::fuzz::makeFolder("orv-fuzz-packages-");
		engine = &orv::fuzz::startEngine(root);
	}
	~SWorld() { orv::fuzz::stopEngine(root); }
};

SWorld& world()
{
	static SWorld instance;
	return instance;
}

//! A package folder that holds only what this input makes.
fs::path freshPackageFolder(const fs::path& root)
{
	const fs::path packages = root / "package";
	std::error_code error;
	fs::remove_all(packages, error);
	fs::create_directories(packages / "Fuzzed");
	return packages;
}

//! Reads the whole file through the archive, as the engine's file buffer does.
void readWhole(irr::io::IFileArchive* archive, irr::u32 index)
{
	irr::io::IReadFile* file = archive->createAndOpenFile(index);
	if (!file)
		return;
	std::vector<char> bytes(static_cast<std::size_t>(file->getSize() > 0 ? file->getSize() : 0));
	if (!bytes.empty())
		file->read(bytes.data(), static_cast<irr::u32>(bytes.size()));
	file->drop();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const irr::u8* data, std::size_t size)
{
	if (size < 1)
		return 0;
	SWorld& w = world();
	orv::CGameEngine& engine = *w.engine;
	irr::IrrlichtDevice* device = engine.getDevice();
	const char* file = reinterpret_cast<const char*>(data + 1);
	const std::size_t fileSize = size - 1;

	const fs::path packages = freshPackageFolder(w.root);
	writeFile(packages / "Fuzzed" / "logo.txt", std::string("a logo"));
	writeFile(packages / "Fuzzed" / "crate.as", std::string("int n = 0;\n"));
	switch (data[0] % 4)
	{
	case 0:
		writeFile(packages / "fuzzed.zip", file, fileSize);
		break;
	case 3:
		writeFile(packages / "fuzzed", file, fileSize);
		break;
	case 1:
		writeFile(packages / "Fuzzed" / "package.xml", file, fileSize);
		writeFile(packages / "Fuzzed" / "classes.xml", CLASSES);
		break;
	default:
		writeFile(packages / "Fuzzed" / "package.xml", DESCRIPTION);
		writeFile(packages / "Fuzzed" / "classes.xml", file, fileSize);
		break;
	}

	orv::loadPackageList(device, nullptr, irr::core::stringw((w.root.string() + "/").c_str()));
	irr::io::IFileSystem* fileSystem = device->getFileSystem();
	for (const orv::SPackageListEntry& entry : orv::getPackageList())
	{
		if (!entry.Archive)
			continue;
		// Irrlicht's file system takes no reference of its own here, yet drops one on removal.
		entry.Archive->grab();
		fileSystem->addFileArchive(entry.Archive);
		orv::CClassDefinitionReader(device, engine.getScriptManager()).read(entry.Info.ObjectClassFile.toUTF8_s());
		const irr::io::IFileList* files = entry.Archive->getFileList();
		for (irr::u32 i = 0; i < files->getFileCount(); ++i)
			readWhole(entry.Archive, i);
		fileSystem->removeFileArchive(entry.Archive);
	}

	orv::clearPackageList();
	orv::fuzz::clearWorld(engine);
	return 0;
}
