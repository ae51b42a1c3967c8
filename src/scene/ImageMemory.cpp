#include "scene/ImageMemory.h"

namespace orv {

CMemoryBound& getImageMemory()
{
	static CMemoryBound bound(DEFAULT_IMAGE_MEMORY_LIMIT);
	return bound;
}

} // namespace orv
