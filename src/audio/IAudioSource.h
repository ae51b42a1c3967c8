#pragma once

#include "audio/CVector3.h"
#include "audio/IRefCounted.h"
#include "audio/ISourceEventHandler.h"

namespace orv {
namespace audio {

//! One playable sound: an OpenAL source that the audio thread keeps fed
//! from a decoder, three blocks at a time.
/** Belongs to the manager that made it. Operations that change it are
    serialised with the audio thread; queries are not. */
class IAudioSource : public IRefCounted
{
public:
	//! Starts playing, or resumes a paused source where it paused.
	virtual bool play() = 0;
	//! Plays at the listener, unpanned and unattenuated.
	virtual bool play2d(const bool& toLoop) = 0;
	//! Plays at a world position; strength is the reciprocal rolloff.
	virtual bool play3d(const CVector3& position, const float& strength, const bool& toLoop) = 0;
	virtual void pause() = 0;
	//! Stops, empties the queue and rewinds; the source can be played again.
	virtual void stop() = 0;
	virtual void loop(const bool& toLoop) = 0;
	//! Moves the decoder; false when it cannot seek.
	virtual bool seek(const float& seconds, bool relative) = 0;

	virtual float getTotalTime() = 0;
	virtual int getTotalSize() = 0;
	virtual int getCompressedSize() = 0;
	virtual float getCurrentTime() = 0;
	virtual int getCurrentPosition() = 0;
	virtual int getCurrentCompressedPosition() = 0;

	//! Refills the blocks OpenAL has played; false when the last refill found
	//! no data. The audio thread calls it.
	virtual bool update() = 0;
	//! Stops and deletes the OpenAL source and blocks; the source is no
	//! longer valid afterwards.
	virtual void release() = 0;

	virtual bool isValid() = 0;
	virtual bool isPlaying() = 0;
	virtual bool isPaused() = 0;
	virtual bool isStopped() = 0;
	virtual bool isLooping() = 0;

	virtual void setPosition(const CVector3& position) = 0;
	virtual void setVelocity(const CVector3& velocity) = 0;
	virtual void setDirection(const CVector3& direction) = 0;
	virtual void setRolloffFactor(const float& rolloff) = 0;
	//! Sets the rolloff factor to 1 / strength (0 for a strength of 0 or less).
	virtual void setStrength(const float& strength) = 0;
	//! The distance below which the source is not attenuated.
	virtual void setMinDistance(const float& distance) = 0;
	virtual void setMaxDistance(const float& distance) = 0;
	virtual void setPitch(const float& pitch) = 0;
	virtual void setVolume(const float& volume) = 0;
	virtual void setMinVolume(const float& volume) = 0;
	virtual void setMaxVolume(const float& volume) = 0;
	virtual void setInnerConeAngle(const float& angle) = 0;
	virtual void setOuterConeAngle(const float& angle) = 0;
	virtual void setOuterConeVolume(const float& volume) = 0;
	virtual void setDopplerStrength(const float& strength) = 0;
	virtual void setDopplerVelocity(const CVector3& velocity) = 0;
	//! Velocity becomes the step from the current position, then the
	//! position moves.
	virtual void move(const CVector3& position) = 0;

	virtual CVector3 getPosition() = 0;
	virtual CVector3 getVelocity() = 0;
	virtual CVector3 getDirection() = 0;
	virtual float getRolloffFactor() = 0;
	virtual float getStrength() = 0;
	virtual float getMinDistance() = 0;
	virtual float getMaxDistance() = 0;
	virtual float getPitch() = 0;
	virtual float getVolume() = 0;
	virtual float getMinVolume() = 0;
	virtual float getMaxVolume() = 0;
	virtual float getInnerConeAngle() = 0;
	virtual float getOuterConeAngle() = 0;
	virtual float getOuterConeVolume() = 0;
	virtual float getDopplerStrength() = 0;
	virtual CVector3 getDopplerVelocity() = 0;

	//! Appends a handler (null is ignored); not owned.
	virtual void registerEventHandler(ISourceEventHandler* handler) = 0;
	virtual void unregisterEventHandler(ISourceEventHandler* handler) = 0;
	virtual void unregisterAllEventHandlers() = 0;
};

} // namespace audio
} // namespace orv
