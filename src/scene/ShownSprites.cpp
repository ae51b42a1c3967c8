#include "scene/ShownSprites.h"

#include <string>

#include "base/Refusal.h"

namespace orv {

namespace {

std::size_t Limit = DEFAULT_SHOWN_SPRITE_LIMIT;
std::size_t Shown = 0;

} // namespace

std::size_t takeShownSprites(std::size_t wanted)
{
	const std::size_t room = Shown < Limit ? Limit - Shown : 0;
	const std::size_t taken = wanted < room ? wanted : room;
	Shown += taken;
	if (taken < wanted)
		reportRefusalOnce("core", "content: shown sprites",
			"Animated objects show all the sprites they may together (" + std::to_string(Limit) +
				"); further sprites of their frames are left out.");
	return taken;
}

void giveShownSprites(std::size_t count)
{
	Shown = count < Shown ? Shown - count : 0;
}

std::size_t getShownSpriteCount()
{
	return Shown;
}

std::size_t getShownSpriteLimit()
{
	return Limit;
}

void setShownSpriteLimit(std::size_t count)
{
	Limit = count;
}

} // namespace orv
