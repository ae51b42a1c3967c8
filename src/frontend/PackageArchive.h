#pragma once
// What an entry of the package folder is mounted as. Only the client's own
// archives read packages: a folder, or a zip archive through libzip. Irrlicht's
// loaders are never asked, since one that is would fall back on the others,
// its own zip reader among them, whenever ours refuses a file.

#include <path.h>

namespace irr {
namespace io {
class IFileArchive;
class IFileSystem;
} // namespace io
} // namespace irr

namespace orv {

//! Whether a file is a zip archive, by its first bytes (a local header) or
//! by its name (".zip", ".pk3").
bool isZipPackageFile(const irr::io::path& name, const irr::u8* start, irr::u32 startBytes);

//! The archive of the package folder's entry (a name relative to the file
//! system's working directory, or absolute), with one reference for the
//! caller: a folder as CFolderArchive, a zip archive as CZipArchive. Null for
//! any other file; null with a short reason for the log when a zip archive is
//! refused or the file is a gzip archive.
irr::io::IFileArchive* openPackageArchive(
	irr::io::IFileSystem* fileSystem, const irr::io::path& name, bool isFolder, const char*& refusal);

} // namespace orv
