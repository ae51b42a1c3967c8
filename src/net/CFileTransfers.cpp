#include "net/CFileTransfers.h"

#include "net/DownloadName.h"

#include <IWriteFile.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace orv
{

namespace
{

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

void CFileTransfers::forget(std::map<irr::u16, STransfer>::iterator transfer)
{
    HeldBytes -= transfer->second.bytes.size();
    Open.erase(transfer);
}

EFileTransferResult CFileTransfers::start(irr::u16 id, irr::u8 kind, const std::string& nameUtf8,
                                          const std::string& root)
{
    const auto reused = Open.find(id);
    if (reused != Open.end())
        forget(reused);
    const char* folder = folderOfKind(kind);
    if (!folder)
        return EFTR_BAD_KIND;
    if (!net::isSafeDownloadName(nameUtf8))
        return EFTR_BAD_NAME;

    std::string name = nameUtf8;
    std::replace(name.begin(), name.end(), '\\', '/');
    STransfer& transfer = Open[id];
    transfer.folder = root + folder;
    transfer.path = transfer.folder + name;
    return EFTR_OK;
}

EFileTransferResult CFileTransfers::append(irr::u16 id, const irr::u8* data, irr::u32 size)
{
    const auto found = Open.find(id);
    if (found == Open.end())
        return EFTR_UNKNOWN_ID;
    std::vector<irr::u8>& bytes = found->second.bytes;
    if (size > MaxSize - bytes.size())
    {
        forget(found);
        return EFTR_TOO_LARGE;
    }
    if (size > MaxTotalSize - HeldBytes)
    {
        forget(found);
        return EFTR_ALL_TOO_LARGE;
    }
    bytes.insert(bytes.end(), data, data + size);
    HeldBytes += size;
    return EFTR_OK;
}

EFileTransferResult CFileTransfers::finish(irr::u16 id, irr::io::IFileSystem* fileSystem)
{
    const auto found = Open.find(id);
    if (found == Open.end())
        return EFTR_UNKNOWN_ID;
    const STransfer transfer = std::move(found->second);
    HeldBytes -= transfer.bytes.size();
    Open.erase(found);

    if (!fileSystem || !makeSubfolders(transfer.folder, transfer.path))
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
