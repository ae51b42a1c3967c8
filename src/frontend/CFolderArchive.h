#pragma once
// A folder mounted as an archive: the run folder and every folder package.
// Irrlicht's own folder mount follows every link, so a link back up
// overflows its stack and a link out lays any folder of the machine open to
// the package's scripts; this one lists what platform::listFolderTree finds.

#include <string>
#include <vector>

#include <IFileArchive.h>

namespace irr {
namespace io {
class IFileList;
class IFileSystem;
} // namespace io
} // namespace irr

namespace orv {

class CFolderArchive : public irr::io::IFileArchive
{
public:
	//! Lists the folder (relative to the file system's working directory, or
	//! absolute) now, as Irrlicht's folder mount does; files are then found
	//! ignoring case and folders. Null when it is no folder that can be read.
	static CFolderArchive* open(irr::io::IFileSystem* fileSystem, const irr::io::path& folder);
	~CFolderArchive() override;

	irr::io::IReadFile* createAndOpenFile(const irr::io::path& filename) override;
	irr::io::IReadFile* createAndOpenFile(irr::u32 index) override;
	const irr::io::IFileList* getFileList() const override { return Files; }
	irr::io::E_FILE_ARCHIVE_TYPE getType() const override { return irr::io::EFAT_FOLDER; }

private:
	CFolderArchive(irr::io::IFileList* files, std::vector<std::string> realNames);

	irr::io::IFileList* Files;
	//! What each list id opens, every link resolved.
	std::vector<std::string> RealNames;
};

} // namespace orv
