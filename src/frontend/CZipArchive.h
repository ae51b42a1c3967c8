#pragma once
// A zip package, read through libzip so that Irrlicht's own zip reader, which
// trusts every header it meets, never sees a package's bytes. An entry is
// unpacked whole when it is opened and handed on only when libzip found its
// data sound and of the size its headers give: a reader never parses bytes
// that a damaged archive failed to fill.

#include <string>
#include <vector>

#include <IFileArchive.h>

struct zip;

namespace irr {
namespace io {
class IFileList;
class IFileSystem;
} // namespace io
} // namespace irr

namespace orv {

class CZipArchive : public irr::io::IFileArchive
{
public:
	//! Opens the archive at the absolute path; files are then found ignoring
	//! case and folders, as every package is searched. Null, with a short
	//! reason for the log, when libzip or the bounds of ZipArchiveGuard.h
	//! refuse it.
	static CZipArchive* open(irr::io::IFileSystem* fileSystem, const irr::io::path& path, const char*& refusal);
	~CZipArchive() override;

	irr::io::IReadFile* createAndOpenFile(const irr::io::path& filename) override;
	//! The entry at that index of the file list, unpacked; null for a folder
	//! and for an entry found damaged, which is reported once with its name.
	irr::io::IReadFile* createAndOpenFile(irr::u32 index) override;
	const irr::io::IFileList* getFileList() const override { return Files; }
	irr::io::E_FILE_ARCHIVE_TYPE getType() const override { return irr::io::EFAT_ZIP; }

private:
	CZipArchive(zip* archive, irr::io::IFileList* files, std::string packageName);
	//! The entry's bytes, or false with a reason when they fail a check.
	bool unpack(irr::u64 entry, irr::u32 size, char* bytes, const char*& refusal);

	zip* Archive;
	irr::io::IFileList* Files;
	//! The archive's file name, as the log names it.
	std::string PackageName;
	//! Entries already found damaged, by libzip index: refused at once again.
	std::vector<bool> Damaged;
};

} // namespace orv
