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

//! Creates the subfolders a name asks for, below a download folder that must already exist.
bool makeSubfolders(const std::string& folder, const std::string& path)
{
	namespace fs = std::filesystem;
	std::error_code error;
	if (!fs::is_directory(fs::u8path(folder), error))
		return false;
	const fs::path parent = fs::u8path(path).parent_path();
	fs::create_directories(parent, error);
	return !error;
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

	STransfer transfer;
	transfer.folderLength = root.size() + std::strlen(folder);
	transfer.path.reserve(transfer.folderLength + nameUtf8.size());
	transfer.path.append(root).append(folder).append(nameUtf8);
	std::replace(
		transfer.path.begin() + static_cast<std::ptrdiff_t>(transfer.folderLength), transfer.path.end(), '\\', '/');
	if (heldBy(transfer) > Limits.totalBytes - HeldBytes)
		return EFTR_ALL_TOO_LARGE;
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
	const STransfer transfer = std::move(found->second);
	HeldBytes -= heldBy(transfer);
	Open.erase(found);

	if (!fileSystem || !makeSubfolders(transfer.path.substr(0, transfer.folderLength), transfer.path))
		return EFTR_WRITE_FAILED;
	irr::io::IWriteFile* file = fileSystem->createAndWriteFile(transfer.path.c_str(), false);
	if (!file)
		return EFTR_WRITE_FAILED;
	const irr::s32 size = static_cast<irr::s32>(transfer.bytes.size());
	const irr::s32 written = size ? file->write(transfer.bytes.data(), transfer.bytes.size()) : 0;
	file->drop();
	return written == size ? EFTR_OK : EFTR_WRITE_FAILED;
}

std::string CFileTransfers::getPath(irr::u16 id) const
{
	const auto found = Open.find(id);
	return found == Open.end() ? std::string() : found->second.path;
}

} // namespace orv
