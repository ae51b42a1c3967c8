#include "engine/CFileBuffer.h"

#include <IFileSystem.h>
#include <IReadFile.h>
#include <IWriteFile.h>

#include "base/WholeFile.h"

namespace orv {

CFileBuffer::CFileBuffer(const irr::u8* data, irr::u32 count)
{
	if (data && count)
		Bytes.assign(data, data + count);
}

CFileBuffer::CFileBuffer(irr::io::IFileSystem* fileSystem, const irr::core::ustring16& fileName) : FileName(fileName)
{
	load(fileSystem, fileName);
}

bool CFileBuffer::load(irr::io::IFileSystem* fileSystem, const irr::core::ustring16& fileName)
{
	if (!fileSystem)
		return false;
	irr::io::IReadFile* file = fileSystem->createAndOpenFile(fileName.toUTF8_s());
	if (!file)
		return false;
	// A file that shrank under us keeps what was read.
	std::vector<irr::u8> bytes;
	const EWholeFileRead read = readWholeFile(file, MAX_FILE_SIZE, bytes);
	file->drop();
	if (read == EWFR_REFUSED)
		return false;
	FileName = fileName;
	Bytes.swap(bytes);
	ReadPosition = 0;
	return true;
}

bool CFileBuffer::save(irr::io::IFileSystem* fileSystem) const
{
	if (!fileSystem)
		return false;
	irr::io::IWriteFile* file = fileSystem->createAndWriteFile(FileName.toUTF8_s(), false);
	if (!file)
		return false;
	irr::s32 written = 0;
	if (!Bytes.empty())
		written = file->write(Bytes.data(), static_cast<irr::u32>(Bytes.size()));
	file->drop();
	return written == static_cast<irr::s32>(Bytes.size());
}

irr::core::ustring16 CFileBuffer::readText(irr::u32 count)
{
	const irr::u32 left = getSize() - ReadPosition;
	const irr::u32 taken = count < left ? count : left;
	irr::core::ustring16 text;
	if (taken)
		text.loadDataStream(reinterpret_cast<const char*>(Bytes.data() + ReadPosition), taken);
	ReadPosition += taken;
	return text;
}

void CFileBuffer::setReadPosition(irr::u32 position)
{
	ReadPosition = position < getSize() ? position : getSize();
}

} // namespace orv
