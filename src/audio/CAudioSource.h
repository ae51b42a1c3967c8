#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <atomic>

#include "audio/CAudioAllocator.h"
#include "audio/CAudioContext.h"
#include "audio/CAudioMutex.h"
#include "audio/CContextScope.h"
#include "audio/IAudioDecoder.h"
#include "audio/IAudioSource.h"

namespace orv {
namespace audio {

//! An OpenAL source fed from a decoder through three blocks of at most
//! 64 KiB, refilled by the audio thread as they finish playing.
class CAudioSource : public IAudioSource
{
public:
	//! Bytes of PCM one block holds at most.
	static const int BLOCK_SIZE = 65536;
	static const int BLOCK_COUNT = 3;

	//! Takes a reference on the decoder, and on the manager's context in
	//! the second form. Without a decoder, without a context, or when OpenAL
	//! cannot make the source and blocks, the source is not valid; nor is it
	//! once the manager has ended the context.
	CAudioSource(IAudioDecoder* decoder, ALCcontext* context);
	CAudioSource(IAudioDecoder* decoder, CAudioContext* context);
	~CAudioSource() override;

	bool play() override;
	bool play2d(const bool& toLoop) override;
	bool play3d(const CVector3& position, const float& strength, const bool& toLoop) override;
	void pause() override;
	void stop() override;
	void loop(const bool& toLoop) override;
	bool seek(const float& seconds, bool relative) override;

	float getTotalTime() override;
	int getTotalSize() override;
	int getCompressedSize() override;
	float getCurrentTime() override;
	int getCurrentPosition() override;
	int getCurrentCompressedPosition() override;

	bool update() override;
	void release() override;

	bool isValid() override;
	bool isPlaying() override;
	bool isPaused() override;
	bool isStopped() override;
	bool isLooping() override { return Looping; }

	void setPosition(const CVector3& position) override;
	void setVelocity(const CVector3& velocity) override;
	void setDirection(const CVector3& direction) override;
	void setRolloffFactor(const float& rolloff) override;
	void setStrength(const float& strength) override;
	void setMinDistance(const float& distance) override;
	void setMaxDistance(const float& distance) override;
	void setPitch(const float& pitch) override;
	void setVolume(const float& volume) override;
	void setMinVolume(const float& volume) override;
	void setMaxVolume(const float& volume) override;
	void setInnerConeAngle(const float& angle) override;
	void setOuterConeAngle(const float& angle) override;
	void setOuterConeVolume(const float& volume) override;
	void setDopplerStrength(const float& strength) override;
	void setDopplerVelocity(const CVector3& velocity) override;
	void move(const CVector3& position) override;

	CVector3 getPosition() override;
	CVector3 getVelocity() override;
	CVector3 getDirection() override;
	float getRolloffFactor() override;
	float getStrength() override;
	float getMinDistance() override;
	float getMaxDistance() override;
	float getPitch() override;
	float getVolume() override;
	float getMinVolume() override;
	float getMaxVolume() override;
	float getInnerConeAngle() override;
	float getOuterConeAngle() override;
	float getOuterConeVolume() override;
	float getDopplerStrength() override;
	CVector3 getDopplerVelocity() override;

	void registerEventHandler(ISourceEventHandler* handler) override;
	void unregisterEventHandler(ISourceEventHandler* handler) override;
	void unregisterAllEventHandlers() override;

private:
	// The lock, and the source's own context for OpenAL, for one operation.
	class CScope
	{
	public:
		explicit CScope(CAudioSource& source);

	private:
		CAudioLock Lock;
		CContextScope Context;
	};

	CAudioSource(IAudioDecoder* decoder, CAudioContext* context, bool shared);
	// The context to work in; null once ended, which also forgets the names.
	ALCcontext* enterContext();

	enum EEvent
	{
		EE_UPDATE,
		EE_RELEASE,
		EE_PLAY,
		EE_STOP,
		EE_PAUSE
	};

	bool checkError();
	ALint getState();
	bool fillBuffer(ALuint buffer);
	void unqueueAll(bool checkEach);
	void announceEnd();
	void notify(EEvent event);
	void setFloat(ALenum parameter, float value);
	void setVector(ALenum parameter, const CVector3& value);
	float getFloat(ALenum parameter);
	CVector3 getVector(ALenum parameter);

	CAudioMutex Mutex;
	CAudioContext* Context;
	ALuint Buffers[BLOCK_COUNT] = {};
	ALuint Source = 0;
	bool HaveBuffers = false;
	bool HaveSource = false;
	// The state this object last announced; 0 before the first.
	ALint LastState = 0;
	IAudioDecoder* Decoder;
	std::atomic<bool> Looping{false};
	std::atomic<bool> Valid{false};
	// Set by the third decoder error of a fill, which stops the source.
	bool StoppedByErrors = false;
	AudioList<ISourceEventHandler*> Handlers;
};

} // namespace audio
} // namespace orv
