#pragma once

#include "audio/CVector3.h"

namespace orv {
namespace audio {

//! The OpenAL listener of one manager: each change goes to OpenAL at once;
//! the getters answer from what was set, without asking OpenAL.
class IListener
{
public:
	virtual ~IListener() = default;
	virtual void setPosition(const CVector3& pos) = 0;
	//! Sends the whole orientation: this direction and the stored up vector.
	virtual void setDirection(const CVector3& dir) = 0;
	//! Sends the whole orientation: the stored direction and this up vector.
	virtual void setUpVector(const CVector3& up) = 0;
	virtual void setVelocity(const CVector3& vel) = 0;
	virtual void setMasterVolume(const float& volume) = 0;
	//! Velocity becomes the step from the stored position (per call, not per
	//! second), then the position moves.
	virtual void move(const CVector3& pos) = 0;
	virtual CVector3 getPosition() = 0;
	virtual CVector3 getDirection() = 0;
	virtual CVector3 getUpVector() = 0;
	virtual CVector3 getVelocity() = 0;
	virtual float getMasterVolume() = 0;
};

} // namespace audio
} // namespace orv
