#include "net/CFileTransfers.h"

#include "net/DownloadName.h"

#include <IWriteFile.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace orv {

namespace {

const char* folderOfKind(irr::u8 kind)
{
	switch (kind)
	{
	case 0:
		return "/images/downloads/";
	case 1:
		return "/ani/";
	default:
		return nullptr;
	}
}

namespace fs = std::filesystem;

//! Creates the subfolders a name asks for, below a download folder that must already exist.
bool makeSubfolders(const std::string& folder, const std::string& path)
{
	std::error_code error;
	if (!fs::is_directory(fs::u8path(folder), error))
		return false;
	const fs::path parent = fs::u8path(path).parent_path();
	fs::create_directories(parent, error);
	return !error;
}

//! Whole blocks of the disk, at least one.
std::size_t diskBlocks(std::size_t bytes)
{
	const std::size_t block = CFileTransfers::DiskBlockBytes;
	return bytes == 0 ? block : (bytes / block + (bytes % block != 0)) * block;
}

//! What a file already at the path takes on disk; nothing when there is none.
std::size_t fileOnDisk(const std::string& path)
{
	std::error_code error;
	const fs::path file = fs::u8path(path);
	if (!fs::is_regular_file(file, error))
		return 0;
	const std::uintmax_t size = fs::file_size(file, error);
	return error ? 0 : diskBlocks(static_cast<std::size_t>(size));
}

//! The folders the path needs below the download folder that do not exist yet.
std::size_t missingFolders(const std::string& path, std::size_t folderLength)
{
	std::size_t missing = 0;
	std::error_code error;
	for (std::size_t slash = path.find('/', folderLength); slash != std::string::npos;
		 slash = path.find('/', slash + 1))
		if (missing != 0 || !fs::exists(fs::u8path(path.substr(0, slash)), error))
			++missing;
	return missing;
}

//! Everything below the folder: files by their blocks, folders one block each.
std::size_t folderOnDisk(const std::string& folder)
{
	std::size_t bytes = 0;
	std::error_code error;
	for (fs::recursive_directory_iterator
			 entry(fs::u8path(folder), fs::directory_options::skip_permission_denied, error),
		 last;
		 !error && entry != last; entry.increment(error))
	{
		std::error_code ignored;
		const std::uintmax_t size = entry->is_regular_file(ignored) ? entry->file_size(ignored) : 0;
		bytes += diskBlocks(ignored ? 0 : static_cast<std::size_t>(size));
	}
	return bytes;
}

} // namespace

std::size_t CFileTransfers::heldBy(const STransfer& transfer)
{
	// A tree node holds three links and a colour beside its value.
	constexpr std::size_t entryBytes = sizeof(std::pair<const irr::u16, STransfer>) + 4 * sizeof(void*);
	return entryBytes + transfer.path.capacity() + transfer.bytes.capacity();
}

void CFileTransfers::forget(std::map<irr::u16, STransfer>::iterator transfer)
{
	HeldBytes -= heldBy(transfer->second);
	Open.erase(transfer);
}

EFileTransferResult CFileTransfers::start(
	irr::u16 id, irr::u8 kind, const std::string& nameUtf8, const std::string& root)
{
	const auto reused = Open.find(id);
	if (reused != Open.end())
		forget(reused);
	const char* folder = folderOfKind(kind);
	if (!folder)
		return EFTR_BAD_KIND;
	if (!net::isSafeDownloadName(nameUtf8))
		return EFTR_BAD_NAME;
	if (Open.size() >= Limits.openTransfers)
		return EFTR_TOO_MANY;
	if (!DiskMeasured)
	{
		DiskBytes = folderOnDisk(root + folderOfKind(0)) + folderOnDisk(root + folderOfKind(1));
		DiskMeasured = true;
	}

	STransfer transfer;
	transfer.folderLength = root.size() + std::strlen(folder);
	transfer.path.reserve(transfer.folderLength + nameUtf8.size());
	transfer.path.append(root).append(folder).append(nameUtf8);
	std::replace(
		transfer.path.begin() + static_cast<std::ptrdiff_t>(transfer.folderLength), transfer.path.end(), '\\', '/');
	if (heldBy(transfer) > Limits.totalBytes - HeldBytes)
		return EFTR_ALL_TOO_LARGE;
	transfer.replacedBytes = fileOnDisk(transfer.path);
	if (!fitsOnDisk(transfer, 0, 0))
		return EFTR_DISK_FULL;
	HeldBytes += heldBy(Open[id] = std::move(transfer));
	return EFTR_OK;
}

EFileTransferResult CFileTransfers::append(irr::u16 id, const irr::u8* data, irr::u32 size)
{
	const auto found = Open.find(id);
	if (found == Open.end())
		return EFTR_UNKNOWN_ID;
	std::vector<irr::u8>& bytes = found->second.bytes;
	if (size > Limits.fileBytes - bytes.size())
	{
		forget(found);
		return EFTR_TOO_LARGE;
	}
	const std::size_t needed = bytes.size() + size;
	if (!fitsOnDisk(found->second, needed, 0))
	{
		forget(found);
		return EFTR_DISK_FULL;
	}
	if (needed > bytes.capacity())
	{
		// The vector grows by doubling as usual, but never past what the limits leave it, so its
		// whole allocation is counted and a file may still fill the room that is left exactly.
		const std::size_t rest = HeldBytes - bytes.capacity();
		const std::size_t room = std::min(Limits.fileBytes, Limits.totalBytes - rest);
		if (needed > room)
		{
			forget(found);
			return EFTR_ALL_TOO_LARGE;
		}
		const std::size_t before = bytes.capacity();
		bytes.reserve(std::min(std::max(needed, 2 * before), room));
		HeldBytes += bytes.capacity() - before;
	}
	bytes.insert(bytes.end(), data, data + size);
	return EFTR_OK;
}

EFileTransferResult CFileTransfers::finish(irr::u16 id, irr::io::IFileSystem* fileSystem)
{
	const auto found = Open.find(id);
	if (found == Open.end())
		return EFTR_UNKNOWN_ID;
	STransfer transfer = std::move(found->second);
	HeldBytes -= heldBy(transfer);
	Open.erase(found);

	// Another transfer may have written the same path since the start.
	transfer.replacedBytes = fileOnDisk(transfer.path);
	const std::size_t folders = missingFolders(transfer.path, transfer.folderLength);
	if (!fitsOnDisk(transfer, transfer.bytes.size(), folders))
		return EFTR_DISK_FULL;
	if (!fileSystem || !makeSubfolders(transfer.path.substr(0, transfer.folderLength), transfer.path))
		return EFTR_WRITE_FAILED;
	DiskBytes = DiskBytes - std::min(DiskBytes, transfer.replacedBytes) + diskBlocks(transfer.bytes.size()) +
		folders * DiskBlockBytes;
	irr::io::IWriteFile* file = fileSystem->createAndWriteFile(transfer.path.c_str(), false);
	if (!file)
		return EFTR_WRITE_FAILED;
	const irr::s32 size = static_cast<irr::s32>(transfer.bytes.size());
	const irr::s32 written = size ? file->write(transfer.bytes.data(), transfer.bytes.size()) : 0;
	file->drop();
	return written == size ? EFTR_OK : EFTR_WRITE_FAILED;
}

bool CFileTransfers::fitsOnDisk(const STransfer& transfer, std::size_t bytes, std::size_t folders) const
{
	const std::size_t rest = DiskBytes - std::min(DiskBytes, transfer.replacedBytes);
	const std::size_t adding = diskBlocks(bytes) + folders * DiskBlockBytes;
	return rest <= Limits.diskBytes && adding <= Limits.diskBytes - rest;
}

std::size_t CFileTransfers::getFileBytes(irr::u16 id) const
{
	const auto found = Open.find(id);
	return found == Open.end() ? 0 : found->second.bytes.size();
}

std::string CFileTransfers::getPath(irr::u16 id) const
{
	const auto found = Open.find(id);
	return found == Open.end() ? std::string() : found->second.path;
}

} // namespace orv
