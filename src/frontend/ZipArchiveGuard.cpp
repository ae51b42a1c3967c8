#include "frontend/ZipArchiveGuard.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include <IReadFile.h>

#include "base/ByteOrder.h"

namespace orv {

namespace {

using irr::u16;
using irr::u32;
using irr::u64;
using irr::u8;

const char* const BAD_SIZE = "it is too short or too large for a zip archive";
const char* const GZIP = "it is a gzip archive, which the client does not read";
const char* const BAD_END = "its end of central directory record is missing or damaged";
const char* const BAD_DIRECTORY = "its central directory is damaged";
const char* const BAD_LOCAL = "an entry's local header is missing or disagrees with the central directory";
const char* const BAD_METHOD = "an entry is encrypted or compressed in a way the client does not read";
const char* const BAD_ENTRY_SIZE = "an entry's sizes are out of range";
const char* const BAD_NAME = "an entry's name is empty or too long";
const char* const TOO_MANY = "it holds too many entries";
const char* const OVERLAP = "its entries overlap";

const u32 LOCAL_SIGNATURE = 0x04034b50;
const u32 CENTRAL_SIGNATURE = 0x02014b50;
const u32 END_SIGNATURE = 0x06054b50;
const u32 DESCRIPTOR_SIGNATURE = 0x08074b50;
const u64 LOCAL_BYTES = 30;
const u64 CENTRAL_BYTES = 46;
const u64 END_BYTES = 22;
const u64 MAX_COMMENT_BYTES = 0xFFFF;

const u16 FLAG_ENCRYPTED = 1u << 0;
const u16 FLAG_DATA_DESCRIPTOR = 1u << 3;
const u16 FLAG_STRONG_ENCRYPTION = 1u << 6;
const u16 FLAG_MASKED_HEADERS = 1u << 13;
const u16 METHOD_STORED = 0;
const u16 METHOD_DEFLATED = 8;
// Deflate codes at most 258 bytes in two bits.
const u64 DEFLATE_MAX_RATIO = 1032;
const u64 DEFLATE_SLACK = 1024;

// Reads of whole ranges only: a range past the end, or one the file returns
// short, refuses the archive instead of leaving bytes unread.
class CArchiveFile
{
public:
	explicit CArchiveFile(irr::io::IReadFile* file) : File(file), Size(static_cast<u64>(file->getSize())) {}

	u64 size() const { return Size; }
	bool read(u64 offset, u64 count, u8* out) const
	{
		if (offset > Size || count > Size - offset)
			return false;
		if (count == 0)
			return true;
		return File->seek(static_cast<long>(offset)) &&
			File->read(out, static_cast<u32>(count)) == static_cast<irr::s32>(count);
	}

private:
	irr::io::IReadFile* File;
	u64 Size;
};

struct SEntry
{
	u16 flags = 0;
	u16 method = 0;
	u32 crc = 0;
	u32 compressed = 0;
	u32 uncompressed = 0;
	u64 local = 0;  // offset of the local header
	u64 data = 0;   // of the entry's data
	u64 end = 0;    // past its data and descriptor
	u64 nameAt = 0; // of the name within the directory bytes
	u16 nameBytes = 0;
};

bool refuse(const char*& refusal, const char* reason)
{
	refusal = reason;
	return false;
}

// Irrlicht takes the record at the last signature that leaves room for one;
// a comment that holds the signature must not lead it elsewhere.
bool findEnd(const CArchiveFile& in, u64& at, const char*& refusal)
{
	const u64 tailBytes = std::min(in.size(), END_BYTES + MAX_COMMENT_BYTES);
	std::vector<u8> tail(static_cast<size_t>(tailBytes));
	const u64 tailAt = in.size() - tailBytes;
	if (!in.read(tailAt, tailBytes, tail.data()))
		return refuse(refusal, BAD_END);
	for (u64 i = tailBytes - END_BYTES + 1; i-- > 0;)
	{
		if (readLE32(&tail[i]) != END_SIGNATURE)
			continue;
		at = tailAt + i;
		// The comment reaches the end exactly.
		if (i + END_BYTES + readLE16(&tail[i + 20]) != tailBytes)
			return refuse(refusal, BAD_END);
		return true;
	}
	return refuse(refusal, BAD_END);
}

bool checkMethod(const SEntry& e, const char*& refusal)
{
	if (e.flags & (FLAG_ENCRYPTED | FLAG_STRONG_ENCRYPTION | FLAG_MASKED_HEADERS))
		return refuse(refusal, BAD_METHOD);
	if (e.method != METHOD_STORED && e.method != METHOD_DEFLATED)
		return refuse(refusal, BAD_METHOD);
	if (e.uncompressed > ZIP_MAX_ENTRY_BYTES)
		return refuse(refusal, BAD_ENTRY_SIZE);
	if (e.method == METHOD_STORED && e.compressed != e.uncompressed)
		return refuse(refusal, BAD_ENTRY_SIZE);
	if (e.method == METHOD_DEFLATED && e.uncompressed > u64(e.compressed) * DEFLATE_MAX_RATIO + DEFLATE_SLACK)
		return refuse(refusal, BAD_ENTRY_SIZE);
	return true;
}

// The local header must repeat the directory's entry, and its data and
// descriptor lie before the directory.
bool checkLocal(
	const CArchiveFile& in, const std::vector<u8>& directory, u64 directoryAt, SEntry& e, const char*& refusal)
{
	u8 header[LOCAL_BYTES];
	if (!in.read(e.local, LOCAL_BYTES, header) || readLE32(header) != LOCAL_SIGNATURE)
		return refuse(refusal, BAD_LOCAL);
	const u16 nameBytes = readLE16(header + 26);
	const u16 extraBytes = readLE16(header + 28);
	if (readLE16(header + 6) != e.flags || readLE16(header + 8) != e.method || nameBytes != e.nameBytes)
		return refuse(refusal, BAD_LOCAL);
	std::vector<u8> name(nameBytes);
	if (!in.read(e.local + LOCAL_BYTES, nameBytes, name.data()) ||
		std::memcmp(name.data(), &directory[static_cast<size_t>(e.nameAt)], nameBytes) != 0)
		return refuse(refusal, BAD_LOCAL);
	const u32 crc = readLE32(header + 14);
	const u32 compressed = readLE32(header + 18);
	const u32 uncompressed = readLE32(header + 22);
	// Written before their data, such entries may leave any of these 0.
	const bool deferred = (e.flags & FLAG_DATA_DESCRIPTOR) != 0;
	const auto agrees = [deferred](u32 local, u32 central) { return local == central || (deferred && local == 0); };
	if (!agrees(crc, e.crc) || !agrees(compressed, e.compressed) || !agrees(uncompressed, e.uncompressed))
		return refuse(refusal, BAD_LOCAL);

	e.data = e.local + LOCAL_BYTES + nameBytes + extraBytes;
	e.end = e.data + e.compressed;
	if (e.end > directoryAt)
		return refuse(refusal, BAD_LOCAL);
	if (e.flags & FLAG_DATA_DESCRIPTOR)
	{
		u8 descriptor[16];
		const u64 room = std::min<u64>(sizeof descriptor, directoryAt - e.end);
		if (!in.read(e.end, room, descriptor))
			return refuse(refusal, BAD_LOCAL);
		const u64 skip = room >= 4 && readLE32(descriptor) == DESCRIPTOR_SIGNATURE ? 4 : 0;
		if (room < skip + 12 || readLE32(descriptor + skip) != e.crc ||
			readLE32(descriptor + skip + 4) != e.compressed || readLE32(descriptor + skip + 8) != e.uncompressed)
			return refuse(refusal, BAD_LOCAL);
		e.end += skip + 12;
	}
	return true;
}

// Irrlicht reads the local headers one after another from the start, and
// turns to the central directory at the first that defers its sizes to a
// descriptor: every header it meets on the way must be one checked here.
bool checkWalk(const CArchiveFile& in, const std::vector<SEntry>& entries, const char*& refusal)
{
	std::vector<std::pair<u64, size_t>> byOffset;
	for (size_t i = 0; i < entries.size(); ++i)
		byOffset.push_back({entries[i].local, i});
	std::sort(byOffset.begin(), byOffset.end());
	for (size_t i = 1; i < byOffset.size(); ++i)
		if (byOffset[i].first < entries[byOffset[i - 1].second].end)
			return refuse(refusal, OVERLAP);

	u64 at = 0;
	size_t met = 0;
	for (;;)
	{
		u8 signature[4];
		if (!in.read(at, sizeof signature, signature))
			return refuse(refusal, BAD_LOCAL);
		if (readLE32(signature) != LOCAL_SIGNATURE)
			break;
		const auto found = std::lower_bound(byOffset.begin(), byOffset.end(), std::make_pair(at, size_t(0)));
		if (found == byOffset.end() || found->first != at)
			return refuse(refusal, BAD_LOCAL);
		const SEntry& e = entries[found->second];
		if (e.flags & FLAG_DATA_DESCRIPTOR)
			return true;
		++met;
		at = e.end;
	}
	if (met != entries.size())
		return refuse(refusal, BAD_LOCAL);
	return true;
}

} // namespace

bool isZipReaderFile(const irr::io::path& name, irr::io::IReadFile* file)
{
	irr::io::path lower = name;
	lower.make_lower();
	for (const char* extension : {".zip", ".pk3", ".gz", ".tgz"})
	{
		const irr::s32 length = static_cast<irr::s32>(std::strlen(extension));
		if (lower.size() >= static_cast<u32>(length) && lower.subString(lower.size() - length, length) == extension)
			return true;
	}
	u8 start[4] = {};
	if (!file || !file->seek(0) || file->read(start, sizeof start) != static_cast<irr::s32>(sizeof start))
		return false;
	return readLE32(start) == LOCAL_SIGNATURE || (start[0] == 0x1F && start[1] == 0x8B);
}

bool checkZipArchive(irr::io::IReadFile* file, const char*& refusal)
{
	if (!file || file->getSize() < static_cast<long>(END_BYTES) ||
		static_cast<u64>(file->getSize()) > ZIP_MAX_ARCHIVE_BYTES)
		return refuse(refusal, BAD_SIZE);
	const CArchiveFile in(file);
	u8 start[2];
	if (!in.read(0, sizeof start, start))
		return refuse(refusal, BAD_SIZE);
	if (start[0] == 0x1F && start[1] == 0x8B)
		return refuse(refusal, GZIP);

	u64 endAt = 0;
	if (!findEnd(in, endAt, refusal))
		return false;
	u8 end[END_BYTES];
	if (!in.read(endAt, END_BYTES, end))
		return refuse(refusal, BAD_END);
	const u16 count = readLE16(end + 10);
	const u32 directoryBytes = readLE32(end + 12);
	const u64 directoryAt = readLE32(end + 16);
	// One disk only, and the directory right before the record: Irrlicht
	// reads directory entries until it meets something else.
	if (readLE16(end + 4) != 0 || readLE16(end + 6) != 0 || readLE16(end + 8) != count ||
		directoryAt + directoryBytes != endAt)
		return refuse(refusal, BAD_END);
	if (count > ZIP_MAX_ENTRIES)
		return refuse(refusal, TOO_MANY);
	if (directoryBytes > ZIP_MAX_DIRECTORY_BYTES)
		return refuse(refusal, BAD_DIRECTORY);
	std::vector<u8> directory(directoryBytes);
	if (!in.read(directoryAt, directoryBytes, directory.data()))
		return refuse(refusal, BAD_DIRECTORY);

	std::vector<SEntry> entries(count);
	u64 at = 0;
	for (SEntry& e : entries)
	{
		if (directoryBytes - at < CENTRAL_BYTES)
			return refuse(refusal, BAD_DIRECTORY);
		const u8* p = &directory[static_cast<size_t>(at)];
		if (readLE32(p) != CENTRAL_SIGNATURE)
			return refuse(refusal, BAD_DIRECTORY);
		e.flags = readLE16(p + 8);
		e.method = readLE16(p + 10);
		e.crc = readLE32(p + 16);
		e.compressed = readLE32(p + 20);
		e.uncompressed = readLE32(p + 24);
		e.nameBytes = readLE16(p + 28);
		const u64 rest = u64(e.nameBytes) + readLE16(p + 30) + readLE16(p + 32);
		e.local = readLE32(p + 42);
		e.nameAt = at + CENTRAL_BYTES;
		if (readLE16(p + 34) != 0 || directoryBytes - at - CENTRAL_BYTES < rest)
			return refuse(refusal, BAD_DIRECTORY);
		if (e.nameBytes == 0 || e.nameBytes > ZIP_MAX_NAME_BYTES)
			return refuse(refusal, BAD_NAME);
		if (!checkMethod(e, refusal) || !checkLocal(in, directory, directoryAt, e, refusal))
			return false;
		at += CENTRAL_BYTES + rest;
	}
	if (at != directoryBytes)
		return refuse(refusal, BAD_DIRECTORY);
	return checkWalk(in, entries, refusal);
}

} // namespace orv
