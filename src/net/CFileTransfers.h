#pragma once

#include <IFileSystem.h>
#include <IWriteFile.h>
#include <irrTypes.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace orv {

enum EFileTransferResult
{
	EFTR_OK = 0,
	//! The kind names no download folder; nothing was opened.
	EFTR_BAD_KIND,
	//! The name could leave the download folder; nothing was opened.
	EFTR_BAD_NAME,
	//! No transfer is open under the id.
	EFTR_UNKNOWN_ID,
	//! The transfer grew beyond its limit of bytes and was forgotten.
	EFTR_TOO_LARGE,
	//! The open transfers together would have held more than their limit; this one was forgotten,
	//! or, at its start, not opened.
	EFTR_ALL_TOO_LARGE,
	//! As many transfers as the limit allows are open already; nothing was opened.
	EFTR_TOO_MANY,
	//! The file could not be written; the transfer is forgotten all the same.
	EFTR_WRITE_FAILED,
	//! The download folders would hold more than their limit on disk; the transfer was forgotten,
	//! or, at its start, not opened.
	EFTR_DISK_FULL
};

//! What the open transfers may hold; a server may open 65,536 of them, each named by up to a whole
//! packet.
struct SFileTransferLimits
{
	//! Data bytes of one file.
	std::size_t fileBytes = 64u << 20;
	//! Everything the open transfers hold together: data, names and bookkeeping.
	std::size_t totalBytes = 256u << 20;
	//! Transfers open at once; a server sends its files a few at a time.
	std::size_t openTransfers = 1024;
	//! What the two download folders may hold on disk, what earlier sessions left there included.
	std::size_t diskBytes = std::size_t(1) << 30;
};

//! The files the server is sending, by 16-bit transfer id, from their start packet to their end packet.
/** Only the two download folders take files: kind 0 "images/downloads/" and kind 1 "ani/" below the
    program directory. A finished file is written in pieces (write()), so a large one spreads over
    frames; what the server sends behind its end waits until it is written, so start, append and
    finish first write the rest of a file still being written. It is written beside its place under
    a name no server's can be (partPath) and takes its place whole once written: the file before it
    stays readable meanwhile, and a write cut off leaves nothing behind. */
class CFileTransfers
{
public:
	explicit CFileTransfers(const SFileTransferLimits& limits = SFileTransferLimits()) : Limits(limits) {}
	//! A file still being written is cut off.
	~CFileTransfers() { abandonWriting(); }

	CFileTransfers(const CFileTransfers&) = delete;
	CFileTransfers& operator=(const CFileTransfers&) = delete;
	//! Takes over the other's transfers and the file it was writing; this one's is cut off first.
	CFileTransfers& operator=(CFileTransfers&& other);

	//! Opens a transfer of a file named \p nameUtf8 in the folder of \p kind below \p root.
	/** An unfinished transfer under the same id is dropped first, also when the new one is refused. */
	EFileTransferResult start(irr::u16 id, irr::u8 kind, const std::string& nameUtf8, const std::string& root);

	EFileTransferResult append(irr::u16 id, const irr::u8* data, irr::u32 size);

	//! Opens the file through the file system, creating missing subfolders inside its download
	//! folder, and makes it the file being written: write() writes its bytes. The transfer is
	//! forgotten once they are written; its bytes count against the limits until then.
	EFileTransferResult finish(irr::u16 id, irr::io::IFileSystem* fileSystem);

	//! Writes up to \p bytes more of the file being written; nothing when none is. EFTR_WRITE_FAILED
	//! when the file system took fewer or the file could not take its place: the file before it
	//! stays, and the transfer is forgotten.
	EFileTransferResult write(std::size_t bytes);
	bool isWriting() const { return Writing.file != nullptr; }
	//! The bytes of the file being written that are not written yet.
	std::size_t getBytesToWrite() const;
	//! The full path of the file being written, empty when none is.
	const std::string& getWritingPath() const { return Writing.transfer.path; }

	//! A file or a folder takes whole blocks of the disk, at least one: a flood of empty files or
	//! deep folders fills the disk's tables too.
	static constexpr std::size_t DiskBlockBytes = 4096;
	//! What the download folders hold on disk as counted here: measured at the first start after a
	//! clear, then kept up with what is written. The measure removes files a client that ended
	//! while writing them left half written.
	std::size_t getDiskBytes() const { return DiskBytes; }

	//! The full path a transfer writes to, empty when none is open under the id.
	std::string getPath(irr::u16 id) const;
	//! The data bytes a transfer holds so far; 0 when none is open under the id.
	std::size_t getFileBytes(irr::u16 id) const;

	const SFileTransferLimits& getLimits() const { return Limits; }
	std::size_t getOpenCount() const { return Open.size(); }
	//! Bytes the open transfers hold together, their names and bookkeeping included.
	std::size_t getHeldBytes() const { return HeldBytes; }

	//! A new connection: nothing open, a file still being written cut off, and the folders are
	//! measured anew at the next start.
	void clear()
	{
		abandonWriting();
		Open.clear();
		HeldBytes = 0;
		DiskMeasured = false;
	}

private:
	struct STransfer
	{
		//! The download folder, then the name.
		std::string path;
		std::size_t folderLength = 0;
		std::vector<irr::u8> bytes;
		//! What the file it replaces takes on disk.
		std::size_t replacedBytes = 0;
	};

	//! What a transfer holds in memory: its map entry, its path's and its bytes' allocations.
	static std::size_t heldBy(const STransfer& transfer);

	//! A finished transfer on its way to disk.
	struct SWriting
	{
		STransfer transfer;
		std::size_t written = 0;
		//! What it holds against the limits, as counted when it was open.
		std::size_t heldBytes = 0;
		//! Null while nothing is being written.
		irr::io::IWriteFile* file = nullptr;
	};

	void forget(std::map<irr::u16, STransfer>::iterator transfer);
	//! Where a file is written until it takes its place: ':' is in no name a server may give.
	static std::string partPath(const std::string& path);
	//! Closes the file being written, puts it in its place when it is to be kept, or removes it,
	//! and forgets its transfer; false when it could not take its place.
	bool endWriting(bool keep);
	void abandonWriting();
	//! Whether the folders stay within their limit when a file of that many bytes replaces the
	//! transfer's old file and `folders` new folders are made for it.
	bool fitsOnDisk(const STransfer& transfer, std::size_t bytes, std::size_t folders) const;

	SFileTransferLimits Limits;
	std::map<irr::u16, STransfer> Open;
	SWriting Writing;
	std::size_t HeldBytes = 0;
	std::size_t DiskBytes = 0;
	bool DiskMeasured = false;
};

} // namespace orv
