#include "base/WholeFile.h"

#include <algorithm>

#include <IReadFile.h>

namespace orv {

namespace {

// Irrlicht reads at most 2^31 - 1 bytes at a time.
const size_t MAX_READ_BYTES = 0x7FFFFFFF;

} // namespace

bool measureWholeFile(irr::io::IReadFile* file, size_t maxBytes, size_t& size)
{
	size = 0;
	if (!file)
		return false;
	const long reported = file->getSize();
	if (reported < 0 || static_cast<unsigned long>(reported) > std::min(maxBytes, MAX_READ_BYTES))
		return false;
	if (file->getPos() != 0 && !file->seek(0))
		return false;
	size = static_cast<size_t>(reported);
	return true;
}

size_t readFileBytes(irr::io::IReadFile* file, void* out, size_t size)
{
	if (!file || size == 0)
		return 0;
	const irr::s32 got = file->read(out, static_cast<irr::u32>(std::min(size, MAX_READ_BYTES)));
	return got > 0 ? static_cast<size_t>(got) : 0;
}

} // namespace orv
