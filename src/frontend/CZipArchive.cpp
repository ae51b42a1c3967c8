#include "frontend/CZipArchive.h"

#include <utility>

#include <IFileList.h>
#include <IFileSystem.h>
#include <IReadFile.h>
#include <zip.h>

#include "base/Refusal.h"
#include "frontend/ZipArchiveGuard.h"

namespace orv {

namespace {

const char* const NOT_ZIP = "it is not a zip archive, or its end of central directory record is missing";
const char* const INCONSISTENT = "its headers disagree with one another or with the file";
const char* const UNREADABLE = "it cannot be read as a zip archive";

const char* const DAMAGED = "its data is damaged";
const char* const SHORT = "its data ends before the size its header gives";
const char* const LONG = "its data runs past the size its header gives";

const char* openRefusal(int error)
{
	switch (error)
	{
	case ZIP_ER_NOZIP:
		return NOT_ZIP;
	case ZIP_ER_INCONS:
		return INCONSISTENT;
	default:
		return UNREADABLE;
	}
}

// An entry's name as it may go to the console: control characters would let
// a package write lines of its own there.
std::string printable(const char* name)
{
	std::string text(name ? name : "");
	for (char& c : text)
		if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
			c = '?';
	return text;
}

} // namespace

CZipArchive* CZipArchive::open(irr::io::IFileSystem* fileSystem, const irr::io::path& path, const char*& refusal)
{
	int error = 0;
	// The consistency checks compare every local header with the central
	// directory, as a reader that met them one after another would see them.
	zip* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
	if (!archive)
	{
		refusal = openRefusal(error);
		return nullptr;
	}
	if (!checkZipEntries(archive, refusal))
	{
		zip_discard(archive);
		return nullptr;
	}

	irr::io::IFileList* files = fileSystem->createEmptyFileList(path, true, true);
	const zip_int64_t count = zip_get_num_entries(archive, 0);
	for (zip_int64_t i = 0; i < count; ++i)
	{
		zip_stat_t entry;
		zip_stat_index(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &entry);
		const irr::io::path name(entry.name);
		// A name that ends in '/' is a folder; the list marks it so itself.
		files->addItem(name, 0, static_cast<irr::u32>(entry.size), false, static_cast<irr::u32>(i));
	}
	files->sort();
	return new CZipArchive(archive, files, printable(fileSystem->getFileBasename(path).c_str()));
}

CZipArchive::CZipArchive(zip* archive, irr::io::IFileList* files, std::string packageName)
	: Archive(archive)
	, Files(files)
	, PackageName(std::move(packageName))
	, Damaged(static_cast<size_t>(zip_get_num_entries(archive, 0)), false)
{
}

CZipArchive::~CZipArchive()
{
	Files->drop();
	zip_discard(Archive);
}

irr::io::IReadFile* CZipArchive::createAndOpenFile(const irr::io::path& filename)
{
	const irr::s32 index = Files->findFile(filename);
	return index < 0 ? nullptr : createAndOpenFile(static_cast<irr::u32>(index));
}

irr::io::IReadFile* CZipArchive::createAndOpenFile(irr::u32 index)
{
	if (index >= Files->getFileCount() || Files->isDirectory(index))
		return nullptr;
	const irr::u32 entry = Files->getID(index);
	if (Damaged[entry])
		return nullptr;
	const irr::u32 size = Files->getFileSize(index);
	char* bytes = new char[size];
	const char* refusal = nullptr;
	if (!unpack(entry, size, bytes, refusal))
	{
		delete[] bytes;
		Damaged[entry] = true;
		reportRefusal("core",
			"File " + printable(zip_get_name(Archive, entry, ZIP_FL_ENC_RAW)) + " of package " + PackageName +
				" is not read: " + refusal + ".");
		return nullptr;
	}
	// The memory file frees the bytes as Irrlicht's own zip reader's do.
	return irr::io::createMemoryReadFile(bytes, size, Files->getFullFileName(index), true);
}

bool CZipArchive::unpack(irr::u64 entry, irr::u32 size, char* bytes, const char*& refusal)
{
	zip_file_t* file = zip_fopen_index(Archive, entry, 0);
	if (!file)
	{
		refusal = DAMAGED;
		return false;
	}
	// libzip compares the CRC once the data ends: the read past the size
	// must meet that end, and it is the read that reports a bad CRC.
	zip_uint64_t got = 0;
	zip_int64_t read = 1;
	while (got < size && (read = zip_fread(file, bytes + got, size - got)) > 0)
		got += static_cast<zip_uint64_t>(read);
	char past = 0;
	if (read > 0)
		read = zip_fread(file, &past, 1);
	zip_fclose(file);
	refusal = read < 0 ? DAMAGED : got < size ? SHORT : read > 0 ? LONG : nullptr;
	return refusal == nullptr;
}

} // namespace orv
