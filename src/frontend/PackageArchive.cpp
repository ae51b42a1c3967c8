#include "frontend/PackageArchive.h"

#include <cstring>

#include <IFileSystem.h>
#include <IReadFile.h>

#include "base/ByteOrder.h"
#include "frontend/CFolderArchive.h"
#include "frontend/CZipArchive.h"

namespace orv {

namespace {

const char* const GZIP = "it is a gzip archive, which the client does not read";

const irr::u32 LOCAL_SIGNATURE = 0x04034b50;

bool hasExtension(irr::io::path name, const char* extension)
{
	name.make_lower();
	const irr::u32 length = static_cast<irr::u32>(std::strlen(extension));
	return name.size() >= length && name.subString(name.size() - length, length) == extension;
}

} // namespace

bool isZipPackageFile(const irr::io::path& name, const irr::u8* start, irr::u32 startBytes)
{
	if (hasExtension(name, ".zip") || hasExtension(name, ".pk3"))
		return true;
	return startBytes >= 4 && readLE32(start) == LOCAL_SIGNATURE;
}

irr::io::IFileArchive* openPackageArchive(
	irr::io::IFileSystem* fileSystem, const irr::io::path& name, bool isFolder, const char*& refusal)
{
	refusal = nullptr;
	const irr::io::path absolute = fileSystem->getAbsolutePath(name);
	if (isFolder)
		return CFolderArchive::open(fileSystem, absolute);

	// Opened on disk: the file system would search the mounted archives for
	// a file of that name first.
	irr::io::IReadFile* file = irr::io::createReadFile(absolute);
	if (!file)
		return nullptr;
	irr::u8 start[4] = {};
	const irr::s32 startBytes = file->read(start, sizeof start);
	file->drop();
	if (startBytes >= 2 && start[0] == 0x1F && start[1] == 0x8B)
	{
		refusal = GZIP;
		return nullptr;
	}
	if (!isZipPackageFile(name, start, startBytes > 0 ? static_cast<irr::u32>(startBytes) : 0))
		return nullptr;
	return CZipArchive::open(fileSystem, absolute, refusal);
}

} // namespace orv
