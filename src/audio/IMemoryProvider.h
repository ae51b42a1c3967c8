#pragma once
// The one door through which the audio library takes heap memory.

#include <cstdint>

namespace orv {
namespace audio {

//! Hands out and takes back the audio library's blocks.
class IMemoryProvider
{
public:
	//! A block of at least `size` bytes, or null. The library passes null, -1
	//! and null for the three places of the call.
	virtual void* Allocate(uint32_t size, const char* fileText, int line, const char* functionText) = 0;
	//! Takes a block back; null is ignored.
	virtual void Deallocate(void* pointer) = 0;
	//! The largest block that may be asked for.
	virtual uint32_t getMaxAllocationSize() = 0;

protected:
	// Providers live for the whole process and are never deleted through
	// this interface.
	~IMemoryProvider() = default;
};

//! The process's provider (malloc and free), usable from the first static
//! constructor to the last static destructor.
IMemoryProvider* getMemoryProvider();

} // namespace audio
} // namespace orv
