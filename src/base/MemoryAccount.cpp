#include "base/MemoryAccount.h"

#include <new>

namespace orv {

namespace {

thread_local MemoryAccount* threadAccount = nullptr;

// Each block starts with the account it was charged to, so that its release
// credits the same one; the header keeps the alignment `new` gives.
struct alignas(alignof(std::max_align_t)) SBlockHeader
{
	MemoryAccount* Account;
};

} // namespace

MemoryAccount* setThreadMemoryAccount(MemoryAccount* account)
{
	MemoryAccount* before = threadAccount;
	threadAccount = account;
	return before;
}

void* allocateCounted(std::size_t bytes)
{
	SBlockHeader* header = static_cast<SBlockHeader*>(::operator new(sizeof(SBlockHeader) + bytes));
	header->Account = threadAccount;
	if (header->Account)
		header->Account->fetch_add(static_cast<std::int64_t>(sizeof(SBlockHeader) + bytes), std::memory_order_relaxed);
	return header + 1;
}

void freeCounted(void* block, std::size_t bytes) noexcept
{
	if (!block)
		return;
	SBlockHeader* header = static_cast<SBlockHeader*>(block) - 1;
	if (header->Account)
		header->Account->fetch_sub(static_cast<std::int64_t>(sizeof(SBlockHeader) + bytes), std::memory_order_relaxed);
	::operator delete(header);
}

} // namespace orv
