#include "audio/CStandardMemoryProvider.h"

#include <cstdlib>

namespace orv {
namespace audio {

namespace {

// Constant-initialised and trivially destroyed: objects freed by other static
// destructors still find it.
CStandardMemoryProvider standardProvider;

} // namespace

void* CStandardMemoryProvider::Allocate(uint32_t size, const char*, int, const char*)
{
	// malloc(0) may give null; every caller treats null as failure.
	return std::malloc(size == 0 ? 1 : size);
}

void CStandardMemoryProvider::Deallocate(void* pointer)
{
	if (pointer)
		std::free(pointer);
}

uint32_t CStandardMemoryProvider::getMaxAllocationSize()
{
	return UINT32_MAX;
}

IMemoryProvider* getMemoryProvider()
{
	return &standardProvider;
}

} // namespace audio
} // namespace orv
