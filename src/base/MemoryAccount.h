#pragma once
// Memory charged to whoever a thread works for: a string's units made while
// a thread's account is set are counted there until they are freed, on
// whichever thread that happens. Scripts use it to bound what they hold.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace orv {

//! Bytes held now by the blocks charged to it. It must outlive every block
//! charged to it.
typedef std::atomic<std::int64_t> MemoryAccount;

//! The account blocks made on this thread are charged to from now on, null
//! for none; returns the one set before.
MemoryAccount* setThreadMemoryAccount(MemoryAccount* account);

//! A block charged to the thread's account, if it has one; freed by
//! freeCounted with the same size. Throws std::bad_alloc as `new` does.
void* allocateCounted(std::size_t bytes);
void freeCounted(void* block, std::size_t bytes) noexcept;

//! A standard allocator over those two.
template <typename T> struct SCountedAllocator
{
	typedef T value_type;

	SCountedAllocator() noexcept = default;
	template <typename U> SCountedAllocator(const SCountedAllocator<U>&) noexcept {}

	T* allocate(std::size_t count) { return static_cast<T*>(allocateCounted(count * sizeof(T))); }
	void deallocate(T* block, std::size_t count) noexcept { freeCounted(block, count * sizeof(T)); }

	template <typename U> bool operator==(const SCountedAllocator<U>&) const noexcept { return true; }
	template <typename U> bool operator!=(const SCountedAllocator<U>&) const noexcept { return false; }
};

} // namespace orv
