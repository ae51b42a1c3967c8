#pragma once
// The one bound on the sprites all animated objects show together. A package
// or a server chooses both how many sprites a frame places (up to 4,096 a
// direction) and how many objects play it, and every step of every object
// looks at each placement of its frame and places a sprite node for it:
// without a bound in total, a frame's work grows as the product of the two.

#include <cstddef>

namespace orv {

//! Sprite placements all animated objects may show together unless a test
//! sets another limit. Each placement of the frame and direction an object
//! shows counts, whether it makes a sprite node or not: one whose picture the
//! object's class does not name costs the look-ups that find so. A game shows
//! a few thousand sprite pieces at most (200 players of a dozen pieces each
//! are 2,400); stepping and drawing this many costs a few milliseconds of a
//! frame (Release, null device; bench_sprite_frame).
constexpr std::size_t DEFAULT_SHOWN_SPRITE_LIMIT = 8192;

//! Takes up to `wanted` placements from the bound and says how many it took.
//! The first time it takes fewer in a session it logs one warning on
//! "core"; later ones are counted as "content: shown sprites" (base/Refusal.h).
std::size_t takeShownSprites(std::size_t wanted);
//! Gives back placements taken earlier.
void giveShownSprites(std::size_t count);
std::size_t getShownSpriteCount();

std::size_t getShownSpriteLimit();
//! Tests set a small limit to reach it quickly.
void setShownSpriteLimit(std::size_t count);

} // namespace orv
