#include "engine/CFileBuffer.h"

#include <IFileSystem.h>
#include <IReadFile.h>
#include <IWriteFile.h>

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
	const long size = file->getSize();
	if (size < 0 || static_cast<unsigned long>(size) > MAX_FILE_SIZE)
	{
		file->drop();
		return false;
	}
	FileName = fileName;
	std::vector<irr::u8> bytes(size > 0 ? static_cast<size_t>(size) : 0);
	irr::s32 got = 0;
	if (!bytes.empty())
		got = file->read(bytes.data(), static_cast<irr::u32>(bytes.size()));
	file->drop();
	// A file that shrank under us keeps what was read.
	if (got < 0)
		got = 0;
	bytes.resize(static_cast<size_t>(got));
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
