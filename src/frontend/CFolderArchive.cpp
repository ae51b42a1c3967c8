#include "frontend/CFolderArchive.h"

#include <utility>

#include <IFileList.h>
#include <IFileSystem.h>
#include <IReadFile.h>

#include "platform/FolderTree.h"

namespace orv {

CFolderArchive* CFolderArchive::open(irr::io::IFileSystem* fileSystem, const irr::io::path& folder)
{
	irr::io::path absolute = fileSystem->getAbsolutePath(folder);
	std::vector<platform::SFolderTreeEntry> entries;
	if (!platform::listFolderTree(absolute.c_str(), entries))
		return nullptr;
	if (absolute.lastChar() != '/')
		absolute.append('/');
	irr::io::IFileList* files = fileSystem->createEmptyFileList(absolute, true, true);
	std::vector<std::string> realNames;
	realNames.reserve(entries.size());
	for (const platform::SFolderTreeEntry& entry : entries)
	{
		// Irrlicht's lists hold sizes of 32 bits; a larger file reads as
		// large as the list can say, and no reader takes one that large.
		const irr::u32 bytes = entry.bytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<irr::u32>(entry.bytes);
		files->addItem(entry.relative.c_str(), 0, entry.isFolder ? 0 : bytes, entry.isFolder,
			static_cast<irr::u32>(realNames.size()));
		realNames.push_back(entry.real);
	}
	files->sort();
	return new CFolderArchive(files, std::move(realNames));
}

CFolderArchive::CFolderArchive(irr::io::IFileList* files, std::vector<std::string> realNames)
	: Files(files)
	, RealNames(std::move(realNames))
{
}

CFolderArchive::~CFolderArchive()
{
	Files->drop();
}

irr::io::IReadFile* CFolderArchive::createAndOpenFile(const irr::io::path& filename)
{
	const irr::s32 index = Files->findFile(filename);
	return index < 0 ? nullptr : createAndOpenFile(static_cast<irr::u32>(index));
}

irr::io::IReadFile* CFolderArchive::createAndOpenFile(irr::u32 index)
{
	if (index >= Files->getFileCount() || Files->isDirectory(index))
		return nullptr;
	// Opened on disk by the real name: asking the file system would search
	// every mounted archive by the file's name first.
	return irr::io::createReadFile(RealNames[Files->getID(index)].c_str());
}

} // namespace orv
