#include "audio/CAudioSource.h"

#include <algorithm>

#include "audio/ILogger.h"
#include "audio/OpenALText.h"

namespace orv {
namespace audio {

namespace {

const char* const SENDER = "Audio Source";
// Decoder errors one fill lets pass before it stops the source.
const int MAX_READ_ERRORS = 3;
// Doppler settings as source parameters; OpenAL may refuse them, which the
// error check then reports.
const ALenum SOURCE_DOPPLER_FACTOR = 0xC000;
const ALenum SOURCE_DOPPLER_VELOCITY = 0xC001;

ALenum toOpenALFormat(AudioFormat format)
{
	switch (format)
	{
	case STEREO8:
		return AL_FORMAT_STEREO8;
	case MONO16:
		return AL_FORMAT_MONO16;
	case STEREO16:
		return AL_FORMAT_STEREO16;
	default:
		return AL_FORMAT_MONO8;
	}
}

} // namespace

CAudioSource::CScope::CScope(CAudioSource& source) : Lock(source.Mutex), Context(source.enterContext())
{
}

CAudioSource::CAudioSource(IAudioDecoder* decoder, ALCcontext* context)
	: CAudioSource(decoder, context ? new CAudioContext(context) : nullptr, false)
{
}

CAudioSource::CAudioSource(IAudioDecoder* decoder, CAudioContext* context) : CAudioSource(decoder, context, true)
{
}

CAudioSource::CAudioSource(IAudioDecoder* decoder, CAudioContext* context, bool shared)
	: Context(context)
	, Decoder(decoder)
{
	if (Context && shared)
		Context->grab();
	if (Decoder)
		Decoder->grab();
	CScope scope(*this);
	// Without a context OpenAL has nothing to make the names in.
	if (!Decoder || !Context || !Context->get())
		return;
	// An error left by an earlier call is not this source's.
	alGetError();
	alGenBuffers(BLOCK_COUNT, Buffers);
	HaveBuffers = !checkError();
	if (HaveBuffers)
	{
		alGenSources(1, &Source);
		HaveSource = !checkError();
	}
	Valid = HaveBuffers && HaveSource;
}

CAudioSource::~CAudioSource()
{
	{
		CScope scope(*this);
		// The names are deleted in their own context; an ended context took
		// them with it, and another context's errors are not ours to clear.
		if (HaveSource)
		{
			alSourceStop(Source);
			alSourcei(Source, AL_BUFFER, 0);
			alDeleteSources(1, &Source);
		}
		if (HaveBuffers)
			alDeleteBuffers(BLOCK_COUNT, Buffers);
		if (HaveSource || HaveBuffers)
			alGetError();
		if (Decoder)
			Decoder->drop();
		Decoder = nullptr;
		Handlers.clear();
	}
	if (Context)
		Context->drop();
}

ALCcontext* CAudioSource::enterContext()
{
	ALCcontext* const context = Context ? Context->get() : nullptr;
	if (!context && (HaveSource || HaveBuffers))
	{
		HaveSource = HaveBuffers = false;
		Source = 0;
		for (ALuint& buffer : Buffers)
			buffer = 0;
		Valid = false;
	}
	return context;
}

bool CAudioSource::isValid()
{
	return Valid && Context && Context->get();
}

bool CAudioSource::checkError()
{
	const ALenum error = alGetError();
	if (error == AL_NO_ERROR)
		return false;
	if (error == AL_OUT_OF_MEMORY)
		getLogger()->logCritical(SENDER, "OpenAL Error: %s.", getALErrorText(error));
	else
		getLogger()->logError(SENDER, "OpenAL Error: %s.", getALErrorText(error));
	return true;
}

ALint CAudioSource::getState()
{
	CScope scope(*this);
	ALint state = 0;
	if (HaveSource)
		alGetSourcei(Source, AL_SOURCE_STATE, &state);
	return state;
}

void CAudioSource::notify(EEvent event)
{
	CScope scope(*this);
	// A handler may unregister itself or another one: the walk goes over a
	// copy, and skips a handler that left the list meanwhile.
	const AudioVector<ISourceEventHandler*> handlers(Handlers.begin(), Handlers.end());
	for (ISourceEventHandler* handler : handlers)
	{
		if (std::find(Handlers.begin(), Handlers.end(), handler) == Handlers.end())
			continue;
		switch (event)
		{
		case EE_UPDATE:
			handler->onUpdate();
			break;
		case EE_RELEASE:
			handler->onRelease();
			break;
		case EE_PLAY:
			handler->onPlay();
			break;
		case EE_STOP:
			handler->onStop();
			break;
		case EE_PAUSE:
			handler->onPause();
			break;
		}
	}
}

bool CAudioSource::fillBuffer(ALuint buffer)
{
	if (!Decoder)
		return false;
	const AudioFormat format = Decoder->getFormat();
	// Whole sample frames only: OpenAL refuses a block that ends inside one,
	// and a decoder asked for less than a frame answers as if at the end.
	const int frame = getFrameSize(format);
	const int capacity = BLOCK_SIZE - BLOCK_SIZE % frame;
	alignas(4) char block[BLOCK_SIZE];
	int collected = 0;
	int errors = 0;
	bool rewound = false;
	int sinceRewind = 0;
	while (collected < capacity)
	{
		const int got = Decoder->read(block + collected, capacity - collected);
		if (got < 0)
		{
			++errors;
			getLogger()->logDebug(SENDER, "Decoder returned an error: %i (%i of 3)", got, errors);
			if (errors >= MAX_READ_ERRORS)
			{
				stop();
				StoppedByErrors = true;
				break;
			}
			continue;
		}
		if (got == 0)
		{
			// A loop that found nothing since its rewind would spin forever.
			if (!Looping || (rewound && sinceRewind == 0))
				break;
			Decoder->setPosition(0, false);
			rewound = true;
			sinceRewind = 0;
			getLogger()->logDebug(SENDER, "Buffer looping.");
			continue;
		}
		const int taken = got > capacity - collected ? capacity - collected : got;
		// A partial frame only comes at the end of the data; it is left out,
		// and a loop over less than one frame has found nothing.
		const int whole = taken - taken % frame;
		collected += whole;
		sinceRewind += whole;
	}
	if (collected == 0)
		return false;
	const int frequency = Decoder->getFrequency();
	getLogger()->logDebug(
		SENDER, "Buffered %i bytes of data into buffer %i at %i hz.", collected, static_cast<int>(buffer), frequency);
	alBufferData(buffer, toOpenALFormat(format), block, collected, frequency);
	return !checkError();
}

void CAudioSource::unqueueAll(bool checkEach)
{
	ALint queued = 0;
	alGetSourcei(Source, AL_BUFFERS_QUEUED, &queued);
	for (ALint i = 0; i < queued; ++i)
	{
		ALuint buffer = 0;
		alSourceUnqueueBuffers(Source, 1, &buffer);
		if (checkEach)
			checkError();
	}
}

void CAudioSource::announceEnd()
{
	if (Decoder)
		Decoder->setPosition(0, false);
	getLogger()->logDebug(SENDER, "Source stopped.");
	notify(EE_STOP);
	LastState = AL_STOPPED;
}

bool CAudioSource::play()
{
	CScope scope(*this);
	if (!HaveSource)
		return false;
	const ALint state = getState();
	if (state == AL_PLAYING)
	{
		// A playing queue cannot be refilled: start over.
		stop();
	}
	else if (state == AL_STOPPED && LastState == AL_PLAYING)
	{
		// It ran out before the audio thread noticed; rewind as it would.
		announceEnd();
	}
	if (state != AL_PAUSED)
	{
		alSourcei(Source, AL_BUFFER, 0);
		checkError();
		StoppedByErrors = false;
		ALsizei filled = 0;
		for (int i = 0; i < BLOCK_COUNT && !StoppedByErrors; ++i)
			if (fillBuffer(Buffers[filled]))
				++filled;
		alSourceQueueBuffers(Source, filled, Buffers);
		checkError();
	}
	alSourcePlay(Source);
	checkError();
	getLogger()->logDebug(SENDER, "Source playing.");
	notify(EE_PLAY);
	LastState = AL_PLAYING;
	return true;
}

bool CAudioSource::play2d(const bool& toLoop)
{
	CScope scope(*this);
	alSourcei(Source, AL_SOURCE_RELATIVE, AL_TRUE);
	// Relative to the listener and at its place: a sound last played in 3D
	// must not stay panned.
	alSource3f(Source, AL_POSITION, 0.0f, 0.0f, 0.0f);
	alSource3f(Source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
	loop(toLoop);
	const bool started = play();
	checkError();
	return started;
}

bool CAudioSource::play3d(const CVector3& position, const float& strength, const bool& toLoop)
{
	CScope scope(*this);
	alSourcei(Source, AL_SOURCE_RELATIVE, AL_FALSE);
	setPosition(position);
	setStrength(strength);
	loop(toLoop);
	const bool started = play();
	checkError();
	return started;
}

void CAudioSource::pause()
{
	CScope scope(*this);
	alSourcePause(Source);
	checkError();
	getLogger()->logDebug(SENDER, "Source paused.");
	notify(EE_PAUSE);
	LastState = AL_PAUSED;
}

void CAudioSource::stop()
{
	CScope scope(*this);
	alSourceStop(Source);
	unqueueAll(false);
	if (Decoder)
		Decoder->setPosition(0, false);
	checkError();
	getLogger()->logDebug(SENDER, "Source stopped.");
	notify(EE_STOP);
	LastState = AL_STOPPED;
}

void CAudioSource::loop(const bool& toLoop)
{
	CScope scope(*this);
	Looping = toLoop;
}

bool CAudioSource::seek(const float& seconds, bool relative)
{
	CScope scope(*this);
	if (Decoder && Decoder->isSeekable())
		return Decoder->seek(seconds, relative);
	return false;
}

// The decoder is the audio thread's while it refills, so even these
// questions wait for the lock.
float CAudioSource::getTotalTime()
{
	CScope scope(*this);
	return Decoder ? Decoder->getTotalTime() : 0.0f;
}

int CAudioSource::getTotalSize()
{
	CScope scope(*this);
	return Decoder ? Decoder->getTotalSize() : 0;
}

int CAudioSource::getCompressedSize()
{
	CScope scope(*this);
	return Decoder ? Decoder->getCompressedSize() : 0;
}

float CAudioSource::getCurrentTime()
{
	CScope scope(*this);
	return Decoder ? Decoder->getCurrentTime() : 0.0f;
}

int CAudioSource::getCurrentPosition()
{
	CScope scope(*this);
	return Decoder ? Decoder->getCurrentPosition() : 0;
}

int CAudioSource::getCurrentCompressedPosition()
{
	CScope scope(*this);
	return Decoder ? Decoder->getCurrentCompressedPosition() : 0;
}

bool CAudioSource::update()
{
	CScope scope(*this);
	if (!Valid)
		return true;
	// Only a playing source uses up blocks or stops by itself; the others
	// cost the audio thread nothing but this test.
	if (LastState != AL_PLAYING)
	{
		notify(EE_UPDATE);
		return true;
	}
	bool filled = true;
	ALint processed = 0;
	alGetSourcei(Source, AL_BUFFERS_PROCESSED, &processed);
	StoppedByErrors = false;
	for (ALint i = 0; i < processed && !StoppedByErrors; ++i)
	{
		ALuint buffer = 0;
		alSourceUnqueueBuffers(Source, 1, &buffer);
		filled = fillBuffer(buffer);
		if (filled)
			alSourceQueueBuffers(Source, 1, &buffer);
		checkError();
	}
	notify(EE_UPDATE);

	const ALint state = getState();
	if (state == AL_STOPPED && LastState != AL_STOPPED)
	{
		ALint queued = 0;
		alGetSourcei(Source, AL_BUFFERS_QUEUED, &queued);
		// Stopped with fresh blocks queued: the thread came too late and
		// OpenAL ran dry mid-sound. Go on rather than end it there.
		if (LastState == AL_PLAYING && queued > 0)
		{
			alSourcePlay(Source);
			checkError();
		}
		else
		{
			announceEnd();
		}
	}
	return filled;
}

void CAudioSource::release()
{
	CScope scope(*this);
	if (HaveSource)
	{
		alSourceStop(Source);
		unqueueAll(true);
		alDeleteSources(1, &Source);
	}
	if (HaveBuffers)
		alDeleteBuffers(BLOCK_COUNT, Buffers);
	checkError();
	HaveSource = false;
	HaveBuffers = false;
	Valid = false;
	getLogger()->logDebug(SENDER, "Audio source released.");
	notify(EE_RELEASE);
}

bool CAudioSource::isPlaying()
{
	return getState() == AL_PLAYING;
}

bool CAudioSource::isPaused()
{
	return getState() == AL_PAUSED;
}

bool CAudioSource::isStopped()
{
	return getState() == AL_STOPPED;
}

void CAudioSource::setFloat(ALenum parameter, float value)
{
	CScope scope(*this);
	alSourcef(Source, parameter, value);
	checkError();
}

void CAudioSource::setVector(ALenum parameter, const CVector3& value)
{
	CScope scope(*this);
	alSource3f(Source, parameter, value.x, value.y, value.z);
	checkError();
}

float CAudioSource::getFloat(ALenum parameter)
{
	CScope scope(*this);
	ALfloat value = 0.0f;
	alGetSourcef(Source, parameter, &value);
	return value;
}

CVector3 CAudioSource::getVector(ALenum parameter)
{
	CScope scope(*this);
	ALfloat value[3] = {0.0f, 0.0f, 0.0f};
	alGetSourcefv(Source, parameter, value);
	return CVector3(value[0], value[1], value[2]);
}

void CAudioSource::setPosition(const CVector3& position)
{
	setVector(AL_POSITION, position);
}
void CAudioSource::setVelocity(const CVector3& velocity)
{
	setVector(AL_VELOCITY, velocity);
}
void CAudioSource::setDirection(const CVector3& direction)
{
	setVector(AL_DIRECTION, direction);
}
void CAudioSource::setRolloffFactor(const float& rolloff)
{
	setFloat(AL_ROLLOFF_FACTOR, rolloff);
}
void CAudioSource::setStrength(const float& strength)
{
	setFloat(AL_ROLLOFF_FACTOR, strength > 0.0f ? 1.0f / strength : 0.0f);
}
void CAudioSource::setMinDistance(const float& distance)
{
	setFloat(AL_REFERENCE_DISTANCE, distance);
}
void CAudioSource::setMaxDistance(const float& distance)
{
	setFloat(AL_MAX_DISTANCE, distance);
}
void CAudioSource::setPitch(const float& pitch)
{
	setFloat(AL_PITCH, pitch);
}
void CAudioSource::setVolume(const float& volume)
{
	setFloat(AL_GAIN, volume);
}
void CAudioSource::setMinVolume(const float& volume)
{
	setFloat(AL_MIN_GAIN, volume);
}
void CAudioSource::setMaxVolume(const float& volume)
{
	setFloat(AL_MAX_GAIN, volume);
}
void CAudioSource::setInnerConeAngle(const float& angle)
{
	setFloat(AL_CONE_INNER_ANGLE, angle);
}
void CAudioSource::setOuterConeAngle(const float& angle)
{
	setFloat(AL_CONE_OUTER_ANGLE, angle);
}
void CAudioSource::setOuterConeVolume(const float& volume)
{
	setFloat(AL_CONE_OUTER_GAIN, volume);
}
void CAudioSource::setDopplerStrength(const float& strength)
{
	setFloat(SOURCE_DOPPLER_FACTOR, strength);
}
void CAudioSource::setDopplerVelocity(const CVector3& velocity)
{
	setVector(SOURCE_DOPPLER_VELOCITY, velocity);
}

void CAudioSource::move(const CVector3& position)
{
	CScope scope(*this);
	const CVector3 velocity = position - getVector(AL_POSITION);
	alSource3f(Source, AL_VELOCITY, velocity.x, velocity.y, velocity.z);
	alSource3f(Source, AL_POSITION, position.x, position.y, position.z);
	checkError();
}

CVector3 CAudioSource::getPosition()
{
	return getVector(AL_POSITION);
}
CVector3 CAudioSource::getVelocity()
{
	return getVector(AL_VELOCITY);
}
CVector3 CAudioSource::getDirection()
{
	return getVector(AL_DIRECTION);
}
float CAudioSource::getRolloffFactor()
{
	return getFloat(AL_ROLLOFF_FACTOR);
}
float CAudioSource::getStrength()
{
	const float rolloff = getRolloffFactor();
	return rolloff > 0.0f ? 1.0f / rolloff : 0.0f;
}
float CAudioSource::getMinDistance()
{
	return getFloat(AL_REFERENCE_DISTANCE);
}
float CAudioSource::getMaxDistance()
{
	return getFloat(AL_MAX_DISTANCE);
}
float CAudioSource::getPitch()
{
	return getFloat(AL_PITCH);
}
float CAudioSource::getVolume()
{
	return getFloat(AL_GAIN);
}
float CAudioSource::getMinVolume()
{
	return getFloat(AL_MIN_GAIN);
}
float CAudioSource::getMaxVolume()
{
	return getFloat(AL_MAX_GAIN);
}
float CAudioSource::getInnerConeAngle()
{
	return getFloat(AL_CONE_INNER_ANGLE);
}
float CAudioSource::getOuterConeAngle()
{
	return getFloat(AL_CONE_OUTER_ANGLE);
}
float CAudioSource::getOuterConeVolume()
{
	return getFloat(AL_CONE_OUTER_GAIN);
}
float CAudioSource::getDopplerStrength()
{
	return getFloat(SOURCE_DOPPLER_FACTOR);
}
CVector3 CAudioSource::getDopplerVelocity()
{
	return getVector(SOURCE_DOPPLER_VELOCITY);
}

void CAudioSource::registerEventHandler(ISourceEventHandler* handler)
{
	CScope scope(*this);
	if (handler)
		Handlers.push_back(handler);
}

void CAudioSource::unregisterEventHandler(ISourceEventHandler* handler)
{
	CScope scope(*this);
	if (handler)
		Handlers.remove(handler);
}

void CAudioSource::unregisterAllEventHandlers()
{
	CScope scope(*this);
	Handlers.clear();
}

} // namespace audio
} // namespace orv
