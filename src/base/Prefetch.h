#pragma once
// A walk over thousands of scattered objects waits on memory more than it
// computes: it asks for what a later step will read while the present step
// runs. Every address asked for is one the compiler works out (a member's,
// a record's and its size), so nothing here depends on where a field lies.

#include <cstddef>
#include <cstdint>

namespace orv {

//! Starts loading the cache line of the address without waiting for it;
//! never faults, even on an address that is not mapped.
inline void prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
	__builtin_prefetch(address);
#else
	(void)address;
#endif
}

//! Every cache line of [address, address + bytes), each once.
inline void prefetchBytes(const void* address, size_t bytes)
{
	const uintptr_t LINE_BYTES = 64;
	const uintptr_t begin = reinterpret_cast<uintptr_t>(address);
	for (uintptr_t line = begin & ~(LINE_BYTES - 1); line < begin + bytes; line += LINE_BYTES)
		prefetch(reinterpret_cast<const void*>(line));
}

//! The whole record a pointer points to.
template <typename T> void prefetchRecord(const T* record)
{
	prefetchBytes(record, sizeof(T));
}

} // namespace orv
