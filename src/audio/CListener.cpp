#include "audio/CListener.h"

#include <AL/al.h>

#include "audio/CContextScope.h"

namespace orv {
namespace audio {

void CListener::setContext(ALCcontext* context)
{
	CAudioLock lock(Mutex);
	Context = context;
}

void CListener::sendOrientation()
{
	CContextScope scope(Context);
	if (!Context)
		return;
	const ALfloat orientation[6] = {Direction.x, Direction.y, Direction.z, UpVector.x, UpVector.y, UpVector.z};
	alListenerfv(AL_ORIENTATION, orientation);
}

void CListener::setPosition(const CVector3& pos)
{
	CAudioLock lock(Mutex);
	Position = pos;
	CContextScope scope(Context);
	if (Context)
		alListener3f(AL_POSITION, pos.x, pos.y, pos.z);
}

void CListener::setDirection(const CVector3& dir)
{
	CAudioLock lock(Mutex);
	Direction = dir;
	sendOrientation();
}

void CListener::setUpVector(const CVector3& up)
{
	CAudioLock lock(Mutex);
	UpVector = up;
	sendOrientation();
}

void CListener::setVelocity(const CVector3& vel)
{
	CAudioLock lock(Mutex);
	Velocity = vel;
	CContextScope scope(Context);
	if (Context)
		alListener3f(AL_VELOCITY, vel.x, vel.y, vel.z);
}

void CListener::setMasterVolume(const float& volume)
{
	CAudioLock lock(Mutex);
	MasterVolume = volume;
	CContextScope scope(Context);
	if (Context)
		alListenerf(AL_GAIN, volume);
}

void CListener::move(const CVector3& pos)
{
	CAudioLock lock(Mutex);
	Velocity = pos - Position;
	Position = pos;
	CContextScope scope(Context);
	if (!Context)
		return;
	alListener3f(AL_POSITION, Position.x, Position.y, Position.z);
	alListener3f(AL_VELOCITY, Velocity.x, Velocity.y, Velocity.z);
}

CVector3 CListener::getPosition()
{
	return Position;
}
CVector3 CListener::getDirection()
{
	return Direction;
}
CVector3 CListener::getUpVector()
{
	return UpVector;
}
CVector3 CListener::getVelocity()
{
	return Velocity;
}
float CListener::getMasterVolume()
{
	return MasterVolume;
}

} // namespace audio
} // namespace orv
