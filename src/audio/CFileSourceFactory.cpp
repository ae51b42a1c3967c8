#include "audio/CFileSourceFactory.h"

#include <cstdint>

#include "audio/CFileSource.h"
#include "audio/CMemorySource.h"

namespace orv {
namespace audio {

IDataSource* CFileSourceFactory::createDataSource(const char* fileName, bool streamingRequested)
{
	CAudioLock lock(Mutex);
	CFileSource* file = new CFileSource(fileName);
	if (streamingRequested || !file || !file->isValid())
		return file;

	const int size = file->getSize();
	void* buffer = getMemoryProvider()->Allocate(static_cast<uint32_t>(size), nullptr, -1, nullptr);
	if (!buffer)
		return file;
	// Only what was read is kept: a file that shrank since it was measured
	// leaves the rest of the buffer unwritten.
	const int got = file->read(buffer, size);
	CMemorySource* memory = new CMemorySource(buffer, got);
	getMemoryProvider()->Deallocate(buffer);
	if (memory && memory->isValid())
	{
		file->drop();
		return memory;
	}
	if (memory)
		memory->drop();
	file->seek(0, false);
	return file;
}

CFileSourceFactory* getFileSourceFactory()
{
	static CFileSourceFactory factory;
	return &factory;
}

} // namespace audio
} // namespace orv
