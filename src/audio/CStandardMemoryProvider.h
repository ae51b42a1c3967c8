#pragma once

#include "audio/IMemoryProvider.h"

namespace orv {
namespace audio {

//! The C runtime's heap behind the provider interface.
class CStandardMemoryProvider final : public IMemoryProvider
{
public:
	constexpr CStandardMemoryProvider() = default;
	void* Allocate(uint32_t size, const char* fileText, int line, const char* functionText) override;
	void Deallocate(void* pointer) override;
	uint32_t getMaxAllocationSize() override;
};

} // namespace audio
} // namespace orv
