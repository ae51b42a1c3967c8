#pragma once
// A bound on what one kind of content holds together, the whole game long:
// bytes are taken before they are held and given back when they are let go.
// Each kind has its one bound, next to what it bounds (scene/ImageMemory.h,
// world/WorldMemory.h, engine/SoundMemory.h, and scene/ShownSprites.h, which
// counts sprite placements); the kind that refuses says so.

#include <cstddef>

namespace orv {

class CMemoryBound
{
public:
	explicit constexpr CMemoryBound(std::size_t limit) : Limit(limit) {}

	//! Takes the bytes; false, taking nothing, when they do not fit.
	bool take(std::size_t bytes)
	{
		if (bytes > Limit || Held > Limit - bytes)
			return false;
		Held += bytes;
		return true;
	}
	//! Gives back bytes taken earlier.
	void give(std::size_t bytes) { Held = bytes < Held ? Held - bytes : 0; }

	std::size_t getHeld() const { return Held; }
	std::size_t getLimit() const { return Limit; }
	//! Tests set a small limit to reach it quickly.
	void setLimit(std::size_t bytes) { Limit = bytes; }

private:
	std::size_t Limit;
	std::size_t Held = 0;
};

} // namespace orv
