#pragma once
// Walks over thousands of scattered objects wait on memory more than they
// compute: they ask for what a later step of the walk will read while the
// present step runs.

namespace orv {

//! Starts loading the cache line of the address; never faults, even on an
//! address that is not mapped.
inline void prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
	__builtin_prefetch(address);
#else
	(void)address;
#endif
}

//! Every cache line of [address, address + bytes).
inline void prefetchRange(const void* address, unsigned bytes)
{
	const char* first = static_cast<const char*>(address);
	for (unsigned offset = 0; offset < bytes; offset += 64)
		prefetch(first + offset);
}

} // namespace orv
