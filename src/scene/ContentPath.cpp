#include "scene/ContentPath.h"

#include <IFileSystem.h>
#include <IReadFile.h>

#include "platform/PathCase.h"

namespace orv {

irr::io::path resolveContentPath(irr::io::IFileSystem* fileSystem, const irr::core::ustring16& name)
{
	irr::io::path path = name.toUTF8_s();
	path.replace('\\', '/');
	if (!fileSystem || path.empty() || fileSystem->existFile(path))
		return path;

	std::string onDisk(path.c_str());
	if (onDisk[0] != '/')
	{
		std::string folder(fileSystem->getWorkingDirectory().c_str());
		if (!folder.empty() && folder.back() != '/')
			folder += '/';
		onDisk = folder + onDisk;
	}
	std::string found;
	if (platform::findPathIgnoringCase(onDisk, found))
		return irr::io::path(found.c_str());
	return path;
}

irr::io::IReadFile* openContentFile(irr::io::IFileSystem* fileSystem, const irr::core::ustring16& name)
{
	if (!fileSystem)
		return nullptr;
	return fileSystem->createAndOpenFile(resolveContentPath(fileSystem, name));
}

bool readContentFile(
	irr::io::IFileSystem* fileSystem, const irr::core::ustring16& name, std::string& bytes, size_t maxBytes)
{
	bytes.clear();
	irr::io::IReadFile* file = openContentFile(fileSystem, name);
	if (!file)
		return false;
	// A folder opened by name reports a size of its own making.
	const long size = file->getSize();
	bool read = false;
	// Irrlicht reads at most 2^31 - 1 bytes at a time.
	if (size > 0 && size <= 0x7FFFFFFFL && static_cast<unsigned long>(size) <= maxBytes)
	{
		bytes.resize(static_cast<size_t>(size));
		read = file->read(&bytes[0], static_cast<irr::s32>(size)) == static_cast<irr::s32>(size);
	}
	file->drop();
	if (!read)
		bytes.clear();
	return read;
}

} // namespace orv
