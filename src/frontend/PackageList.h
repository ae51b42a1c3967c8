#pragma once
// The content packages: every folder or archive in the folder "package" below
// the program directory, each described by its own "package.xml". The list
// keeps each package's archive, unmounted, so Play can mount it for good.

#include <list>

#include <irrString.h>
#include <path.h>

#include "frontend/SPackageInfo.h"

namespace irr {
class IrrlichtDevice;
namespace gui {
class IGUIListBox;
}
namespace io {
class IFileArchive;
}
} // namespace irr

namespace orv {

//! One package as the list found it.
struct SPackageListEntry
{
	//! The folder or file name within the package folder.
	irr::core::stringw ArchiveName;
	bool IsFolder = false;
	SPackageInfo Info;
	//! The package's archive; the list holds one reference to it.
	irr::io::IFileArchive* Archive = nullptr;
};

typedef std::list<SPackageListEntry> PackageList;

//! The packages the last scan found, in the order of the folder's listing.
const PackageList& getPackageList();
//! Lets go of every package (the archives a game mounted stay mounted).
void clearPackageList();

//! The program directory (ending in a separator) followed by "package".
irr::io::path getPackageFolder(const irr::core::stringw& programDirectory);

//! Scans the package folder afresh: the list holds one entry per package
//! that mounts (those without a readable description too, with empty texts),
//! the list box (may be null) one item per package, its name. Names that
//! begin with a dot are left out, and so is every file that is no zip
//! archive (openPackageArchive); a zip archive that is refused, or a gzip
//! archive, with one warning naming it. A missing package folder gives no
//! package.
//! The file system's working directory is the same afterwards.
void loadPackageList(
	irr::IrrlichtDevice* device, irr::gui::IGUIListBox* listBox, const irr::core::stringw& programDirectory);

//! The first package of that name, null when none has it.
const SPackageListEntry* findPackage(const irr::core::ustring16& name);

} // namespace orv
