#pragma once
// Base of every object the audio library allocates: its storage comes from
// the memory provider. A failed allocation gives null (the constructor does
// not run), which every creating caller checks.

#include <cstddef>
#include <cstdint>

#include "audio/IMemoryProvider.h"

namespace orv {
namespace audio {

class CMemoryOverride
{
public:
	static void* operator new(std::size_t size) noexcept
	{
		// Sizes the provider cannot express are refused, never truncated.
		if (size > UINT32_MAX)
			return nullptr;
		return getMemoryProvider()->Allocate(static_cast<uint32_t>(size), nullptr, -1, nullptr);
	}
	static void operator delete(void* pointer) noexcept { getMemoryProvider()->Deallocate(pointer); }
	static void* operator new[](std::size_t) = delete;
	static void operator delete[](void*) = delete;
};

} // namespace audio
} // namespace orv
