#pragma once
// The one bound on the sprite nodes all animated objects show together. A
// package or a server chooses both how many sprites a frame places (up to
// 4,096 a direction) and how many objects play it, and every step of every
// object places each of its sprite nodes anew: without a bound in total, a
// frame's work grows as the product of the two.

#include <cstddef>

namespace orv {

//! Sprite nodes all animated objects may show together unless a test sets
//! another limit. A game shows a few thousand sprite pieces at most (200
//! players of a dozen pieces each are 2,400); at this many, stepping and
//! drawing all of them costs a few milliseconds of a frame (Release, null
//! device; bench_sprite_frame).
constexpr std::size_t DEFAULT_SHOWN_SPRITE_LIMIT = 8192;

//! Takes one sprite node from the bound; false when all are shown. The first
//! refusal of a session logs one warning on "core"; the rest are counted as
//! "content: sprite nodes" (base/Refusal.h).
bool takeShownSprite();
//! Gives back sprite nodes taken earlier.
void giveShownSprites(std::size_t count);
std::size_t getShownSpriteCount();

std::size_t getShownSpriteLimit();
//! Tests set a small limit to reach it quickly.
void setShownSpriteLimit(std::size_t count);

} // namespace orv
