#pragma once

#include <cstddef>

namespace orv {
namespace platform {

//! The bytes the allocator set aside for a block from malloc, at least the
//! size asked for; the same at the block's allocation and at its release.
std::size_t heapBlockBytes(void* block);

} // namespace platform
} // namespace orv
