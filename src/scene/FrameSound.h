#pragma once

#include <vector3d.h>

namespace orv {

namespace audio {
class IAudioSource;
}

//! Starts a frame's sound from its beginning, once: flat (2D) for the
//! player's own animation, else at the position (z 10) with strength 20,
//! volume 1 and minimum distance 5.
void playFrameSound(audio::IAudioSource* source, bool flat, const irr::core::vector3df& position);

} // namespace orv
