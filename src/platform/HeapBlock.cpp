#include "platform/HeapBlock.h"

#include <malloc.h>

namespace orv {
namespace platform {

std::size_t heapBlockBytes(void* block)
{
	return block ? malloc_usable_size(block) : 0;
}

} // namespace platform
} // namespace orv
