#include "scene/ContentPath.h"

#include <IFileSystem.h>
#include <IReadFile.h>

#include "base/WholeFile.h"
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
	const bool read = readWholeFile(file, maxBytes, bytes) == EWFR_WHOLE && !bytes.empty();
	file->drop();
	if (!read)
		bytes.clear();
	return read;
}

} // namespace orv
