#include "scene/FrameSound.h"

namespace orv {

// No audio library is built in yet, so the engine's sound cache never hands
// out a source and no frame sound reaches this point.
void playFrameSound(audio::IAudioSource*, bool, const irr::core::vector3df&)
{
}

} // namespace orv
