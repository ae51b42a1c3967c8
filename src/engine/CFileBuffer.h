#pragma once

#include <vector>

#include <irrTypes.h>

#include "base/ustring16.h"

namespace irr {
namespace io {
class IFileSystem;
}
} // namespace irr

namespace orv {

//! A whole file in memory, loaded and saved through Irrlicht's file system,
//! read front to back as text slices.
class CFileBuffer
{
public:
	//! Larger files are refused: nothing the client reads whole is that big,
	//! and some files (a folder opened by name) report absurd sizes.
	static const irr::u32 MAX_FILE_SIZE = 256u << 20;

	CFileBuffer() = default;
	//! A copy of [data, data + count); reads start at the first byte.
	CFileBuffer(const irr::u8* data, irr::u32 count);
	//! Keeps the name and loads the file; a failed load leaves the buffer empty.
	CFileBuffer(irr::io::IFileSystem* fileSystem, const irr::core::ustring16& fileName);

	//! Replaces the bytes with the whole file and reads from its start.
	/** False without a file system, when the file cannot be opened or is
	    larger than MAX_FILE_SIZE; the bytes are then left as they were. */
	bool load(irr::io::IFileSystem* fileSystem, const irr::core::ustring16& fileName);
	//! Writes every byte to the buffer's file, replacing what it held.
	/** False without a file system, when the file cannot be created or when
	    not every byte reached it. */
	bool save(irr::io::IFileSystem* fileSystem) const;

	//! The next count bytes (fewer when fewer remain) as text: a byte-order
	//! mark picks UTF-16 or UTF-32, anything else is UTF-8.
	irr::core::ustring16 readText(irr::u32 count);

	const std::vector<irr::u8>& getBytes() const { return Bytes; }
	std::vector<irr::u8>& getBytes() { return Bytes; }
	irr::u32 getSize() const { return static_cast<irr::u32>(Bytes.size()); }
	irr::u32 getReadPosition() const { return ReadPosition; }
	void setReadPosition(irr::u32 position);
	const irr::core::ustring16& getFileName() const { return FileName; }
	void setFileName(const irr::core::ustring16& name) { FileName = name; }

private:
	irr::u32 ReadPosition = 0;
	std::vector<irr::u8> Bytes;
	irr::core::ustring16 FileName;
};

} // namespace orv
