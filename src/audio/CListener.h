#pragma once

#include <AL/alc.h>

#include "audio/CAudioMutex.h"
#include "audio/IListener.h"

namespace orv {
namespace audio {

//! Starts at OpenAL's own defaults, which are therefore not sent. Without
//! its manager's context the values are kept and reach no OpenAL.
class CListener : public IListener
{
public:
	void setPosition(const CVector3& pos) override;
	void setDirection(const CVector3& dir) override;
	void setUpVector(const CVector3& up) override;
	void setVelocity(const CVector3& vel) override;
	void setMasterVolume(const float& volume) override;
	void move(const CVector3& pos) override;
	CVector3 getPosition() override;
	CVector3 getDirection() override;
	CVector3 getUpVector() override;
	CVector3 getVelocity() override;
	float getMasterVolume() override;

	//! The context the values go to; null before it opens and after it ends.
	void setContext(ALCcontext* context);

private:
	void sendOrientation();

	CAudioMutex Mutex;
	CVector3 Position{0.0f, 0.0f, 0.0f};
	CVector3 Direction{0.0f, 0.0f, -1.0f};
	CVector3 UpVector{0.0f, 1.0f, 0.0f};
	CVector3 Velocity{0.0f, 0.0f, 0.0f};
	float MasterVolume = 1.0f;
	ALCcontext* Context = nullptr;
};

} // namespace audio
} // namespace orv
