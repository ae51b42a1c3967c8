#pragma once
// The one bound on what sounds hold together: the engine keeps every sound
// file it plays whole in memory, with the blocks its source streams through.
// Each file is bounded by itself (CFileBuffer::MAX_FILE_SIZE); this keeps all
// of them together within reach.

#include <cstddef>

#include "audio/CAudioSource.h"
#include "base/MemoryBound.h"

namespace orv {

//! Bytes all sounds may hold together.
constexpr std::size_t DEFAULT_SOUND_MEMORY_LIMIT = std::size_t(256) << 20;
//! What a sound holds beside its file: the blocks its source plays from.
constexpr std::size_t SOUND_BLOCK_BYTES = std::size_t(audio::CAudioSource::BLOCK_SIZE) *
	audio::CAudioSource::BLOCK_COUNT;

//! The bound every sound the engine keeps takes its bytes from.
CMemoryBound& getSoundMemory();

} // namespace orv
