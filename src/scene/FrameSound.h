#pragma once

#include <irrTypes.h>
#include <vector3d.h>

namespace orv {

namespace audio {
class IAudioSource;
}

//! Starts a frame's sound from its beginning, once: flat (2D) for the
//! player's own animation, else at the position (z 10) with strength 20,
//! volume 1 and minimum distance 5. A source starts once a frame: many
//! objects that come to one sound in the same frame would each start the one
//! source of its file over, and each start decodes its first blocks anew;
//! the first of them is heard. A frame begins with beginFrameSounds and, for
//! nodes animated outside one, with each new animation time.
void playFrameSound(
	audio::IAudioSource* source, bool flat, const irr::core::vector3df& position, irr::u32 animationTimeMs);

//! The scene is about to animate a new frame.
void beginFrameSounds();

} // namespace orv
