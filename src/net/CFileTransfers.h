#pragma once

#include <IFileSystem.h>
#include <irrTypes.h>

#include <map>
#include <string>
#include <vector>

namespace orv
{

enum EFileTransferResult
{
    EFTR_OK = 0,
    //! The kind names no download folder; nothing was opened.
    EFTR_BAD_KIND,
    //! The name could leave the download folder; nothing was opened.
    EFTR_BAD_NAME,
    //! No transfer is open under the id.
    EFTR_UNKNOWN_ID,
    //! The transfer grew beyond MaxSize and was forgotten.
    EFTR_TOO_LARGE,
    //! The open transfers together would have held more than MaxTotalSize; this one was forgotten.
    EFTR_ALL_TOO_LARGE,
    //! The file could not be written; the transfer is forgotten all the same.
    EFTR_WRITE_FAILED
};

//! The files the server is sending, by 16-bit transfer id, from their start packet to their end packet.
/** Only the two download folders take files: kind 0 "images/downloads/" and kind 1 "ani/" below the
    program directory. */
class CFileTransfers
{
public:
    //! Bytes one transfer may hold.
    static constexpr irr::u32 MaxSize = 64u << 20;
    //! Bytes all open transfers may hold together: a server may open 65,536 of them.
    static constexpr irr::u32 MaxTotalSize = 256u << 20;

    //! Opens a transfer of a file named \p nameUtf8 in the folder of \p kind below \p root.
    /** An unfinished transfer under the same id is dropped first, also when the new one is refused. */
    EFileTransferResult start(irr::u16 id, irr::u8 kind, const std::string& nameUtf8, const std::string& root);

    EFileTransferResult append(irr::u16 id, const irr::u8* data, irr::u32 size);

    //! Writes the file through the file system, creating missing subfolders inside its download
    //! folder, and forgets the transfer.
    EFileTransferResult finish(irr::u16 id, irr::io::IFileSystem* fileSystem);

    //! The full path a transfer writes to, empty when none is open under the id.
    std::string getPath(irr::u16 id) const;

    std::size_t getOpenCount() const { return Open.size(); }
    //! Bytes the open transfers hold together.
    irr::u64 getHeldBytes() const { return HeldBytes; }

    void clear()
    {
        Open.clear();
        HeldBytes = 0;
    }

private:
    struct STransfer
    {
        std::string folder;
        std::string path;
        std::vector<irr::u8> bytes;
    };

    void forget(std::map<irr::u16, STransfer>::iterator transfer);

    std::map<irr::u16, STransfer> Open;
    irr::u64 HeldBytes = 0;
};

} // namespace orv
