#include "frontend/PackageList.h"

#include <IFileArchive.h>
#include <IFileList.h>
#include <IFileSystem.h>
#include <IGUIListBox.h>
#include <IReadFile.h>
#include <ILogger.h>
#include <IrrlichtDevice.h>

#include "base/Refusal.h"
#include "frontend/CPackageReader.h"
#include "frontend/ZipArchiveGuard.h"

namespace orv {

namespace {

PackageList packages;

// The archive type to mount a package file as: a file Irrlicht's zip reader
// would take is handed to it only once checked, and then as nothing else.
// EFAT_UNKNOWN for any other file; false, with a warning, when refused.
bool chooseArchiveType(irr::IrrlichtDevice* device, const irr::io::path& name, irr::io::E_FILE_ARCHIVE_TYPE& type)
{
	type = irr::io::EFAT_UNKNOWN;
	irr::io::IReadFile* file = device->getFileSystem()->createAndOpenFile(name);
	if (!file)
		return false;
	const char* refusal = nullptr;
	const bool zip = isZipReaderFile(name, file);
	const bool refused = zip && !checkZipArchive(file, refusal);
	file->drop();
	if (refused)
	{
		reportRefusal("core", std::string("Package ") + name.c_str() + " is not mounted: " + refusal + ".");
		return false;
	}
	if (zip)
		type = irr::io::EFAT_ZIP;
	return true;
}

// Mounts the entry for a moment, reads its description and gives the mount
// back; false when the file system cannot mount it.
bool readEntry(irr::IrrlichtDevice* device, const irr::io::path& name, bool isFolder, SPackageListEntry& entry)
{
	irr::io::IFileSystem* fileSystem = device->getFileSystem();
	irr::io::E_FILE_ARCHIVE_TYPE type = irr::io::EFAT_FOLDER;
	if (!isFolder && !chooseArchiveType(device, name, type))
		return false;
	irr::io::IFileArchive* archive = nullptr;
	if (!fileSystem->addFileArchive(name, true, true, type, "", &archive) || !archive)
		return false;
	archive->grab();
	fileSystem->removeFileArchive(archive);

	entry.ArchiveName = irr::core::ustring16(name).toWCHAR_s();
	entry.IsFolder = isFolder;
	entry.Archive = archive;
	// Opened through the archive itself, so only this package is searched.
	if (irr::io::IReadFile* description = archive->createAndOpenFile("package.xml"))
	{
		entry.Info = CPackageReader(device).read(description);
		description->drop();
	}
	return true;
}

} // namespace

const PackageList& getPackageList()
{
	return packages;
}

void clearPackageList()
{
	for (SPackageListEntry& entry : packages)
		if (entry.Archive)
			entry.Archive->drop();
	packages.clear();
}

irr::io::path getPackageFolder(const irr::core::stringw& programDirectory)
{
	return irr::core::ustring16(programDirectory).toUTF8_s() + "package";
}

void loadPackageList(
	irr::IrrlichtDevice* device, irr::gui::IGUIListBox* listBox, const irr::core::stringw& programDirectory)
{
	if (listBox)
		listBox->clear();
	// A rebuilt screen scans afresh instead of listing every package twice.
	clearPackageList();
	if (!device)
		return;

	irr::io::IFileSystem* fileSystem = device->getFileSystem();
	const irr::io::path previous = fileSystem->getWorkingDirectory();
	// Failing that, the listing would be of the folder we are in.
	if (!fileSystem->changeWorkingDirectoryTo(getPackageFolder(programDirectory)))
		return;

	if (irr::io::IFileList* files = fileSystem->createFileList())
	{
		for (irr::u32 i = 0; i < files->getFileCount(); ++i)
		{
			const irr::io::path& name = files->getFileName(i);
			if (name.empty() || name[0] == '.')
				continue;
			SPackageListEntry entry;
			if (!readEntry(device, name, files->isDirectory(i), entry))
				continue;
			packages.push_back(entry);
			if (listBox)
				listBox->addItem(entry.Info.Name.toWCHAR_s().c_str());
		}
		files->drop();
	}
	fileSystem->changeWorkingDirectoryTo(previous);
}

const SPackageListEntry* findPackage(const irr::core::ustring16& name)
{
	for (const SPackageListEntry& entry : packages)
		if (entry.Info.Name == name)
			return &entry;
	return nullptr;
}

} // namespace orv
