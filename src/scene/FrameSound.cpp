#include "scene/FrameSound.h"

#include "audio/IAudioSource.h"

#include <unordered_set>

namespace orv {

namespace {

// How far a positioned frame sound carries: strength is the reciprocal of
// OpenAL's rolloff.
const float FRAME_SOUND_STRENGTH = 20.0f;
const float FRAME_SOUND_VOLUME = 1.0f;
// Pixels within which it is not attenuated.
const float FRAME_SOUND_MIN_DISTANCE = 5.0f;

// The sources started in this frame, and the animation time it began with.
struct SStartedSounds
{
	irr::u32 animationTimeMs = 0;
	std::unordered_set<const audio::IAudioSource*> sources;
};

SStartedSounds started;

} // namespace

void beginFrameSounds()
{
	started.sources.clear();
}

void playFrameSound(
	audio::IAudioSource* source, bool flat, const irr::core::vector3df& position, irr::u32 animationTimeMs)
{
	if (!source)
		return;
	if (started.animationTimeMs != animationTimeMs)
	{
		started.animationTimeMs = animationTimeMs;
		started.sources.clear();
	}
	if (!started.sources.insert(source).second)
		return;
	// One source per file: a sound still playing starts over.
	if (source->isPlaying())
		source->stop();
	if (flat)
	{
		source->play2d(false);
		return;
	}
	source->play3d(audio::CVector3(position.X, position.Y, position.Z), FRAME_SOUND_STRENGTH, false);
	source->setVolume(FRAME_SOUND_VOLUME);
	source->setMinDistance(FRAME_SOUND_MIN_DISTANCE);
}

} // namespace orv
