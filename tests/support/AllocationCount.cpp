#include "support/AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> Allocated{0};

} // namespace

void* operator new(std::size_t size)
{
	Allocated += size;
	if (void* memory = std::malloc(size ? size : 1))
		return memory;
	throw std::bad_alloc();
}

// Whatever the plain delete frees must have come from here: the forms that
// call it are replaced too.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
	Allocated += size;
	return std::malloc(size ? size : 1);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
	std::free(memory);
}

void operator delete(void* memory) noexcept
{
	std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
	std::free(memory);
}

namespace orv::test {

std::size_t allocatedBytes()
{
	return Allocated.load();
}

} // namespace orv::test
