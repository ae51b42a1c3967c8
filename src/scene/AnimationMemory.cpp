#include "scene/AnimationMemory.h"

#include <string>

#include "base/Refusal.h"

namespace orv {

namespace {

std::size_t Limit = DEFAULT_ANIMATION_MEMORY_LIMIT;
std::size_t Held = 0;
bool Warned = false;

} // namespace

bool takeAnimationMemory(std::size_t bytes)
{
	if (bytes <= Limit && Held <= Limit - bytes)
	{
		Held += bytes;
		return true;
	}
	if (!Warned)
	{
		Warned = true;
		const std::string line = "Animations hold all the memory they may (" + std::to_string(Limit >> 20) +
			" MiB); further frames, sprites and sprite nodes are dropped.";
		reportRefusal("core", line);
	}
	return false;
}

void giveAnimationMemory(std::size_t bytes)
{
	Held = bytes < Held ? Held - bytes : 0;
	if (Held == 0)
		Warned = false;
}

std::size_t getAnimationMemoryHeld()
{
	return Held;
}

std::size_t getAnimationMemoryLimit()
{
	return Limit;
}

void setAnimationMemoryLimit(std::size_t bytes)
{
	Limit = bytes;
}

} // namespace orv
