#include "scene/ShownSprites.h"

#include <string>

#include "base/Refusal.h"

namespace orv {

namespace {

std::size_t Limit = DEFAULT_SHOWN_SPRITE_LIMIT;
std::size_t Shown = 0;

} // namespace

bool takeShownSprite()
{
	if (Shown < Limit)
	{
		++Shown;
		return true;
	}
	reportRefusalOnce("core", "content: sprite nodes",
		"Animated objects show all the sprite nodes they may together (" + std::to_string(Limit) +
			"); further sprites of their frames are left out.");
	return false;
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
