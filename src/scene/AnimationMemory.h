#pragma once
// The one bound on what animations hold together: the frames and sprites of
// every parsed animation and the sprite nodes that show them, on every
// object. A server may send many large animations and many objects to play
// them; each is bounded by itself, the bound here keeps all of them together
// within reach.

#include <cstddef>

namespace orv {

//! Bytes all animations may hold together unless a test sets another limit.
constexpr std::size_t DEFAULT_ANIMATION_MEMORY_LIMIT = 256u << 20;

//! Takes the bytes from the bound; false when they do not fit. The first
//! refusal logs one warning on "core"; the next comes only after everything
//! was given back.
bool takeAnimationMemory(std::size_t bytes);
//! Gives back bytes taken earlier.
void giveAnimationMemory(std::size_t bytes);
std::size_t getAnimationMemoryHeld();

std::size_t getAnimationMemoryLimit();
//! Tests set a small limit to reach it quickly.
void setAnimationMemoryLimit(std::size_t bytes);

} // namespace orv
