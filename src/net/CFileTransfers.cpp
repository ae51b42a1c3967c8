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

//! What a file being written is named after until it takes its place: ':' is in no server's name.
const char partSuffix[] = ":part";

bool isPart(const fs::path& file)
{
	const std::string name = file.filename().string();
	const std::size_t length = sizeof(partSuffix) - 1;
	return name.size() > length && name.compare(name.size() - length, length, partSuffix) == 0;
}

//! Everything below the folder: files by their blocks, folders one block each. A file left half
//! written by a client that ended while writing it is removed instead.
std::size_t folderOnDisk(const std::string& folder)
{
	std::size_t bytes = 0;
	std::vector<fs::path> parts;
	std::error_code error;
	for (fs::recursive_directory_iterator
			 entry(fs::u8path(folder), fs::directory_options::skip_permission_denied, error),
		 last;
		 !error && entry != last; entry.increment(error))
	{
		std::error_code ignored;
		const bool file = entry->is_regular_file(ignored);
		if (file && isPart(entry->path()))
		{
			parts.push_back(entry->path());
			continue;
		}
		const std::uintmax_t size = file ? entry->file_size(ignored) : 0;
		bytes += diskBlocks(ignored ? 0 : static_cast<std::size_t>(size));
	}
	for (const fs::path& part : parts)
	{
		std::error_code ignored;
		fs::remove(part, ignored);
	}
	return bytes;
}

} // namespace

CFileTransfers& CFileTransfers::operator=(CFileTransfers&& other)
{
	if (&other == this)
		return *this;
	abandonWriting();
	Limits = other.Limits;
	Open = std::move(other.Open);
	Writing = std::move(other.Writing);
	HeldBytes = other.HeldBytes;
	DiskBytes = other.DiskBytes;
	DiskMeasured = other.DiskMeasured;
	other.Open.clear();
	other.Writing = SWriting();
	other.HeldBytes = 0;
	other.DiskMeasured = false;
	return *this;
}

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
	write(~std::size_t(0));
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
	write(~std::size_t(0));
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
	write(~std::size_t(0));
	const auto found = Open.find(id);
	if (found == Open.end())
		return EFTR_UNKNOWN_ID;
	STransfer transfer = std::move(found->second);
	Open.erase(found);
	const std::size_t held = heldBy(transfer);

	// Another transfer may have written the same path since the start.
	transfer.replacedBytes = fileOnDisk(transfer.path);
	const std::size_t folders = missingFolders(transfer.path, transfer.folderLength);
	EFileTransferResult result = EFTR_OK;
	irr::io::IWriteFile* file = nullptr;
	if (!fitsOnDisk(transfer, transfer.bytes.size(), folders))
		result = EFTR_DISK_FULL;
	else if (!fileSystem || !makeSubfolders(transfer.path.substr(0, transfer.folderLength), transfer.path))
		result = EFTR_WRITE_FAILED;
	else
	{
		DiskBytes = DiskBytes - std::min(DiskBytes, transfer.replacedBytes) + diskBlocks(transfer.bytes.size()) +
			folders * DiskBlockBytes;
		file = fileSystem->createAndWriteFile(partPath(transfer.path).c_str(), false);
		if (!file)
			result = EFTR_WRITE_FAILED;
	}
	if (!file)
	{
		HeldBytes -= held;
		return result;
	}
	// Its bytes stay counted against the limits until they are written.
	Writing.transfer = std::move(transfer);
	Writing.written = 0;
	Writing.heldBytes = held;
	Writing.file = file;
	return Writing.transfer.bytes.empty() ? write(0) : EFTR_OK;
}

EFileTransferResult CFileTransfers::write(std::size_t bytes)
{
	if (!Writing.file)
		return EFTR_OK;
	const std::vector<irr::u8>& data = Writing.transfer.bytes;
	// The file system takes at most 2 GiB a call.
	const std::size_t piece = std::min({bytes, data.size() - Writing.written, std::size_t(1) << 30});
	if (piece != 0)
	{
		const irr::s32 written = Writing.file->write(data.data() + Writing.written, static_cast<irr::u32>(piece));
		if (written < 0 || static_cast<std::size_t>(written) != piece)
		{
			endWriting(false);
			return EFTR_WRITE_FAILED;
		}
		Writing.written += piece;
	}
	if (Writing.written == data.size() && !endWriting(true))
		return EFTR_WRITE_FAILED;
	return EFTR_OK;
}

std::size_t CFileTransfers::getBytesToWrite() const
{
	return Writing.file ? Writing.transfer.bytes.size() - Writing.written : 0;
}

std::string CFileTransfers::partPath(const std::string& path)
{
	return path + partSuffix;
}

bool CFileTransfers::endWriting(bool keep)
{
	// Irrlicht's file closes when its last reference goes.
	Writing.file->drop();
	const fs::path part = fs::u8path(partPath(Writing.transfer.path));
	std::error_code error;
	if (keep)
		fs::rename(part, fs::u8path(Writing.transfer.path), error);
	if (!keep || error)
	{
		std::error_code ignored;
		fs::remove(part, ignored);
	}
	HeldBytes -= Writing.heldBytes;
	Writing = SWriting();
	return keep && !error;
}

void CFileTransfers::abandonWriting()
{
	if (Writing.file)
		endWriting(false);
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
