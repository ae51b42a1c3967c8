#include "frontend/TextFile.h"

#include <vector>

#include <IFileSystem.h>
#include <IReadFile.h>

#include "base/WholeFile.h"

namespace orv {

bool readTextFile(irr::io::IFileSystem* fileSystem, const irr::io::path& fileName, irr::core::ustring16& text)
{
	text = irr::core::ustring16();
	irr::io::IReadFile* file = fileSystem ? fileSystem->createAndOpenFile(fileName) : nullptr;
	if (!file)
		return false;
	// What arrived of a file that shrank under us is kept.
	std::vector<char> bytes;
	const EWholeFileRead read = readWholeFile(file, MAX_TEXT_FILE_SIZE, bytes);
	file->drop();
	if (read == EWFR_REFUSED || bytes.empty())
		return false;
	text = irr::core::ustring16(bytes.data(), static_cast<irr::u32>(bytes.size()));
	return true;
}

} // namespace orv
