#include "frontend/TextFile.h"

#include <vector>

#include <IFileSystem.h>
#include <IReadFile.h>

namespace orv {

bool readTextFile(irr::io::IFileSystem* fileSystem, const irr::io::path& fileName, irr::core::ustring16& text)
{
	text = irr::core::ustring16();
	irr::io::IReadFile* file = fileSystem ? fileSystem->createAndOpenFile(fileName) : nullptr;
	if (!file)
		return false;
	const long size = file->getSize();
	std::vector<char> bytes(size > 0 && size <= MAX_TEXT_FILE_SIZE ? static_cast<size_t>(size) : 0);
	const irr::s32 got = bytes.empty() ? 0 : file->read(bytes.data(), static_cast<irr::u32>(bytes.size()));
	file->drop();
	if (got <= 0)
		return false;
	text = irr::core::ustring16(bytes.data(), static_cast<irr::u32>(got));
	return true;
}

} // namespace orv
