#pragma once
// The one bound on what pictures hold together: the textures of every image
// the engine keeps, at four bytes a pixel of each piece, tile maps' composed
// pictures and scripts' pictures included. Each picture is bounded by itself
// (ImageSizeGuard.h); this keeps all of them together within reach.

#include <cstddef>

#include "base/MemoryBound.h"

namespace orv {

//! Bytes all images' textures may hold together.
constexpr std::size_t DEFAULT_IMAGE_MEMORY_LIMIT = std::size_t(512) << 20;

//! The bound every image takes its textures' bytes from.
CMemoryBound& getImageMemory();

} // namespace orv
