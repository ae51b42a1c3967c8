#include "scene/ShownSprites.h"

#include <algorithm>
#include <string>

#include "base/MemoryBound.h"
#include "base/Refusal.h"

namespace orv {

namespace {

// Counts placements, not bytes: the bound is the same take-and-give.
CMemoryBound& shownSprites()
{
	static CMemoryBound bound(DEFAULT_SHOWN_SPRITE_LIMIT);
	return bound;
}

} // namespace

std::size_t takeShownSprites(std::size_t wanted)
{
	CMemoryBound& bound = shownSprites();
	const std::size_t room = bound.getLimit() - std::min(bound.getHeld(), bound.getLimit());
	const std::size_t taken = std::min(wanted, room);
	bound.take(taken);
	if (taken < wanted)
		reportRefusalOnce("core", "content: shown sprites",
			"Animated objects show all the sprites they may together (" + std::to_string(bound.getLimit()) +
				"); further sprites of their frames are left out.");
	return taken;
}

void giveShownSprites(std::size_t count)
{
	shownSprites().give(count);
}

std::size_t getShownSpriteCount()
{
	return shownSprites().getHeld();
}

std::size_t getShownSpriteLimit()
{
	return shownSprites().getLimit();
}

void setShownSpriteLimit(std::size_t count)
{
	shownSprites().setLimit(count);
}

} // namespace orv
