#include "frontend/PackageList.h"

#include <IFileArchive.h>
#include <IFileList.h>
#include <IFileSystem.h>
#include <IGUIListBox.h>
#include <IReadFile.h>
#include <IrrlichtDevice.h>

#include "base/Refusal.h"
#include "frontend/CPackageReader.h"
#include "frontend/PackageArchive.h"

namespace orv {

namespace {

PackageList packages;

// Reads the entry's description through its own archive, so only this
// package is searched; false when the entry is no package the client mounts.
bool readEntry(irr::IrrlichtDevice* device, const irr::io::path& name, bool isFolder, SPackageListEntry& entry)
{
	const char* refusal = nullptr;
	irr::io::IFileArchive* archive = openPackageArchive(device->getFileSystem(), name, isFolder, refusal);
	if (refusal)
		reportRefusal("core", std::string("Package ") + name.c_str() + " is not mounted: " + refusal + ".");
	if (!archive)
		return false;

	entry.ArchiveName = irr::core::ustring16(name).toWCHAR_s();
	entry.IsFolder = isFolder;
	entry.Archive = archive;
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
