#include "audio/CAudioManager.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "audio/AudioText.h"
#include "audio/CAudioSource.h"
#include "audio/CContextScope.h"
#include "audio/CMemorySource.h"
#include "audio/DecoderFactories.h"
#include "audio/ILogger.h"
#include "audio/OpenALText.h"
#include "base/Refusal.h"

namespace orv {
namespace audio {

namespace {

const char* const SENDER = "AudioManager";
const char* const FAILED = "Failed to create Audio Source (%s): ";

// The context attributes: a (key, value) pair for the rate, room for two
// more pairs, all zero-terminated.
const int CONTEXT_ATTRIBUTE_COUNT = 6;
// OpenAL Soft's own number when the device does not say.
const unsigned DEFAULT_SOURCE_LIMIT = 256;

} // namespace

bool CAudioManager::checkError()
{
	CContextScope scope(Context);
	// Without a current context every AL call fails on its own account:
	// only the device's own error is worth naming then.
	if (alcGetCurrentContext())
	{
		const ALenum error = alGetError();
		if (error != AL_NO_ERROR)
		{
			getLogger()->logError(SENDER, "OpenAL Error: %s.", getALErrorText(error));
			return true;
		}
	}
	if (!Device)
		return false;
	const ALCenum error = alcGetError(Device);
	if (error != ALC_NO_ERROR)
	{
		getLogger()->logError(SENDER, "OpenAL Error: %s.", getALCErrorText(Device, error));
		return true;
	}
	return false;
}

bool CAudioManager::initialize(const char* deviceName, int outputFrequency, int)
{
	CAudioLock lock(Mutex);
	if (Initialised)
		return false;
	ALCint attributes[CONTEXT_ATTRIBUTE_COUNT] = {};
	if (outputFrequency > 0)
	{
		attributes[0] = ALC_FREQUENCY;
		attributes[1] = outputFrequency;
	}
	Device = alcOpenDevice(deviceName);
	if (!Device)
	{
		getLogger()->logError(SENDER, "Failed to Create OpenAL Device.");
		// Without a device there is no device error to name; what OpenAL
		// keeps for a failed open reads as a shortage of memory, which
		// would mislead. Taken out, so no later check reports it either.
		alcGetError(nullptr);
		getLogger()->logWarning(SENDER, "No sound device was found; the game runs without sound.");
		return false;
	}
	Context = alcCreateContext(Device, attributes);
	if (!Context)
	{
		getLogger()->logError(SENDER, "Failed to Create OpenAL Context.");
		checkError();
		alcCloseDevice(Device);
		Device = nullptr;
		return false;
	}
	// The first context becomes the process's current one, as OpenAL users
	// expect; every manager's own work sets its own context on its thread.
	if (!alcGetCurrentContext() && !alcMakeContextCurrent(Context))
	{
		getLogger()->logError(SENDER, "Failed to make OpenAL Context current.");
		checkError();
		alcDestroyContext(Context);
		alcCloseDevice(Device);
		Context = nullptr;
		Device = nullptr;
		return false;
	}
	Shared = new CAudioContext(Context);
	if (!Shared)
	{
		getLogger()->logError(SENDER, "Failed to Create OpenAL Context.");
		forgetCurrentContext(Context);
		alcDestroyContext(Context);
		alcCloseDevice(Device);
		Context = nullptr;
		Device = nullptr;
		return false;
	}
	Listener.setContext(Context);
	// Past the device's sources every new one would fail with an error line
	// of its own: the manager refuses them first, with one line.
	ALCint mono = 0;
	ALCint stereo = 0;
	alcGetIntegerv(Device, ALC_MONO_SOURCES, 1, &mono);
	alcGetIntegerv(Device, ALC_STEREO_SOURCES, 1, &stereo);
	SourceLimit = mono > 0 || stereo > 0 ? static_cast<unsigned>(std::max(mono, 0) + std::max(stereo, 0))
										 : DEFAULT_SOURCE_LIMIT;
	alcGetError(Device);
	CContextScope scope(Context);
	getLogger()->logInfo(SENDER, "OpenAL Version: %s", textOrEmpty(alGetString(AL_VERSION)));
	getLogger()->logInfo(SENDER, "Vendor: %s", textOrEmpty(alGetString(AL_VENDOR)));
	getLogger()->logInfo(SENDER, "Renderer: %s", textOrEmpty(alGetString(AL_RENDERER)));
	getLogger()->logInfo(SENDER, "Supported Extensions: %s", textOrEmpty(alGetString(AL_EXTENSIONS)));
	Initialised = true;
	return true;
}

void CAudioManager::shutdown()
{
	CAudioLock lock(Mutex);
	if (!Initialised)
		return;
	releaseAllSources();
	// Sources that callers still hold learn that their names went with it.
	Shared->end();
	Shared->drop();
	Shared = nullptr;
	Listener.setContext(nullptr);
	forgetCurrentContext(Context);
	alcDestroyContext(Context);
	Context = nullptr;
	alcCloseDevice(Device);
	Device = nullptr;
	Initialised = false;
	getLogger()->logInfo(SENDER, "Manager successfully shutdown.");
}

void CAudioManager::update()
{
	CAudioLock lock(Mutex);
	for (IAudioSource* source : Sources)
		if (source && source->isValid())
			source->update();
}

IAudioSource* CAudioManager::findSource(const char* name)
{
	CAudioLock lock(Mutex);
	return findOrNull(SourceIndex, utf8ToWide(name));
}

void CAudioManager::releaseAllSources()
{
	CAudioLock lock(Mutex);
	for (IAudioSource* source : Sources)
		if (source)
			source->drop();
	Sources.clear();
	SourceIndex.clear();
}

void CAudioManager::releaseSource(IAudioSource* source)
{
	if (!source)
		return;
	CAudioLock lock(Mutex);
	for (auto it = SourceIndex.begin(); it != SourceIndex.end(); ++it)
	{
		if (it->second == source)
		{
			SourceIndex.erase(it);
			break;
		}
	}
	const auto listed = std::find(Sources.begin(), Sources.end(), source);
	if (listed != Sources.end())
	{
		Sources.erase(listed);
		source->drop();
	}
}

const char* CAudioManager::getDeviceName(unsigned index)
{
	CAudioLock lock(Mutex);
	if (DeviceNames.empty())
		return "";
	return wideToUtf8(DeviceNames[index < DeviceNames.size() ? index : DeviceNames.size() - 1]);
}

unsigned CAudioManager::getDeviceCount()
{
	CAudioLock lock(Mutex);
	return static_cast<unsigned>(DeviceNames.size());
}

const char* CAudioManager::getDefaultDeviceName()
{
	CAudioLock lock(Mutex);
	return DefaultDeviceName.empty() ? "" : wideToUtf8(DefaultDeviceName);
}

void CAudioManager::enumerateDevices()
{
	CAudioLock lock(Mutex);
	ALCenum listName = 0;
	ALCenum defaultName = 0;
	if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") == AL_TRUE)
	{
		listName = ALC_ALL_DEVICES_SPECIFIER;
		defaultName = ALC_DEFAULT_ALL_DEVICES_SPECIFIER;
	}
	else if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT") == AL_TRUE)
	{
		listName = ALC_DEVICE_SPECIFIER;
		defaultName = ALC_DEFAULT_DEVICE_SPECIFIER;
	}
	else
	{
		return;
	}
	// A run of terminated names, ended by an empty one.
	for (const char* name = alcGetString(nullptr, listName); name && *name; name += std::strlen(name) + 1)
		DeviceNames.push_back(utf8ToWide(name));
	DefaultDeviceName = utf8ToWide(alcGetString(nullptr, defaultName));
}

void CAudioManager::registerSource(const AudioWString& name, IAudioSource* source)
{
	if (!name.empty())
		SourceIndex[name] = source;
	// The set's own reference: a caller's drop cannot free a source that the
	// audio thread still streams.
	source->grab();
	Sources.push_back(source);
	wakeAudioThread();
}

bool CAudioManager::isInitialised()
{
	CAudioLock lock(Mutex);
	return Initialised;
}

bool CAudioManager::hasSources()
{
	CAudioLock lock(Mutex);
	return !Sources.empty();
}

bool CAudioManager::hasSourceRoom(const char* name)
{
	// Without a device nothing is made; makeSource says why.
	if (!Initialised || Sources.size() < SourceLimit)
		return true;
	reportRefusalOnce("core", "audio: sources",
		"Audio Source (" + std::string(name) + ") refused: the sound device plays at most " +
			std::to_string(SourceLimit) + " sounds, and each sound played keeps one; further sounds are not played.");
	return false;
}

IAudioSource* CAudioManager::makeSource(IAudioDecoder* decoder, const char* name)
{
	CAudioSource* source = new CAudioSource(decoder, Shared);
	decoder->drop();
	if (!source)
	{
		getLogger()->logError(SENDER, "Failed to create Audio Source (%s): Could not allocate enough memory.", name);
		return nullptr;
	}
	if (!source->isValid())
	{
		source->drop();
		getLogger()->logError(SENDER, "Failed to create Audio Source (%s): Error creating audio source.", name);
		return nullptr;
	}
	return source;
}

IAudioSource* CAudioManager::create(const char* name, const char* fileName, bool stream)
{
	CAudioLock lock(Mutex);
	if (!hasSourceRoom(name))
		return nullptr;
	const AudioWString wideName = utf8ToWide(name);
	const AudioWString wideFile = utf8ToWide(fileName);
	const AudioWString extension = getExtension(wideFile);
	IAudioDecoderFactory* const decoders = findOrNull(Decoders, extension);
	if (!decoders)
	{
		getLogger()->logError(SENDER, "Failed to create Audio Source (%s): No decoder could be found for (.%s).",
			wideToUtf8(wideName), wideToUtf8(extension));
		return nullptr;
	}
	for (const auto& entry : DataSourceOrder)
	{
		IDataSourceFactory* const factory = findOrNull(DataSources, entry.second);
		if (!factory)
			continue;
		IDataSource* data = factory->createDataSource(wideToUtf8(wideFile), stream);
		if (!data)
			continue;
		if (!data->isValid())
		{
			data->drop();
			continue;
		}
		IAudioDecoder* decoder = decoders->createAudioDecoder(data);
		data->drop();
		if (!decoder || !decoder->isValid())
		{
			getLogger()->logError(SENDER,
				"Failed to create Audio Source (%s): Audio data could not be decoded by (.%s) decoder.",
				wideToUtf8(wideName), wideToUtf8(extension));
			if (decoder)
				decoder->drop();
			return nullptr;
		}
		IAudioSource* source = makeSource(decoder, wideToUtf8(wideName));
		if (!source)
			return nullptr;
		registerSource(wideName, source);
		getLogger()->logInfo(SENDER, "Audio Source (%s) created from file %s from Data Source %s.",
			wideToUtf8(wideName), wideToUtf8(wideFile), wideToUtf8(entry.second));
		return source;
	}
	getLogger()->logError(SENDER, "Failed to create Audio Source (%s): File could not be found (.%s).",
		wideToUtf8(wideName), wideToUtf8(wideFile));
	return nullptr;
}

IAudioSource* CAudioManager::createFromDecoderFactory(const char* name, const char* data, int length,
	const AudioWString& extension, bool raw, int frequency, AudioFormat format)
{
	CAudioLock lock(Mutex);
	if (!hasSourceRoom(name))
		return nullptr;
	const AudioWString wideName = utf8ToWide(name);
	IAudioDecoderFactory* const decoders = findOrNull(Decoders, extension);
	if (!decoders)
	{
		getLogger()->logError(SENDER, "Failed to create Audio Source (%s): Codec (.%s) is not supported.",
			wideToUtf8(wideName), wideToUtf8(extension));
		return nullptr;
	}
	CMemorySource* memory = new CMemorySource(data, length);
	if (!memory)
	{
		getLogger()->logError(
			SENDER, "Failed to create Audio Source (%s): Could not allocate enough memory.", wideToUtf8(wideName));
		return nullptr;
	}
	if (!memory->isValid())
	{
		memory->drop();
		getLogger()->logError(
			SENDER, "Failed to create Audio Source (%s): Audio data is corrupt.", wideToUtf8(wideName));
		return nullptr;
	}
	// A raw source needs its rate and layout, which only the raw factory
	// takes; a plug-in's factory under "raw" gets the plain call.
	CRawAudioDecoderFactory* rawFactory = raw ? dynamic_cast<CRawAudioDecoderFactory*>(decoders) : nullptr;
	IAudioDecoder* decoder = rawFactory ? rawFactory->createAudioDecoder(memory, frequency, format)
										: decoders->createAudioDecoder(memory);
	memory->drop();
	if (!decoder)
	{
		getLogger()->logError(SENDER,
			"Failed to create Audio Source (%s): Could not allocate enough memory for decoder.", wideToUtf8(wideName));
		return nullptr;
	}
	if (!decoder->isValid())
	{
		decoder->drop();
		getLogger()->logError(SENDER,
			"Failed to create Audio Source (%s): Audio data could not be decoded by (.%s) decoder.",
			wideToUtf8(wideName), wideToUtf8(extension));
		return nullptr;
	}
	IAudioSource* source = makeSource(decoder, wideToUtf8(wideName));
	if (!source)
		return nullptr;
	registerSource(wideName, source);
	if (raw)
		getLogger()->logInfo(SENDER, "Audio Source (%s) successfully created from raw data.", wideToUtf8(wideName));
	else
		getLogger()->logInfo(SENDER, "Audio Source (%s) successfully created from memory.", wideToUtf8(wideName));
	return source;
}

IAudioSource* CAudioManager::createFromMemory(const char* name, const char* data, int length, const char* extension)
{
	return createFromDecoderFactory(name, data, length, utf8ToWide(extension), false, 0, MONO8);
}

IAudioSource* CAudioManager::createFromRaw(
	const char* name, const char* data, int length, int frequency, AudioFormat format)
{
	return createFromDecoderFactory(name, data, length, u"raw", true, frequency, format);
}

bool CAudioManager::registerAudioDecoder(IAudioDecoderFactory* factory, const char* extension)
{
	CAudioLock lock(Mutex);
	const AudioWString key = utf8ToWide(extension);
	Decoders[key] = factory;
	getLogger()->logInfo(SENDER, "Audio Decoder for extension .%s registered.", wideToUtf8(key));
	return true;
}

void CAudioManager::unregisterAudioDecoder(const char* extension)
{
	CAudioLock lock(Mutex);
	const AudioWString key = utf8ToWide(extension);
	if (Decoders.erase(key) != 0)
		getLogger()->logInfo(SENDER, "Audio Decoder for extension .%s unregistered.", wideToUtf8(key));
}

bool CAudioManager::isAudioDecoderRegistered(const char* extension)
{
	CAudioLock lock(Mutex);
	return Decoders.count(utf8ToWide(extension)) != 0;
}

IAudioDecoderFactory* CAudioManager::getAudioDecoderFactory(const char* extension)
{
	CAudioLock lock(Mutex);
	return findOrNull(Decoders, utf8ToWide(extension));
}

void CAudioManager::unregisterAllAudioDecoders()
{
	CAudioLock lock(Mutex);
	Decoders.clear();
}

void CAudioManager::sortDataSources()
{
	std::stable_sort(DataSourceOrder.begin(), DataSourceOrder.end(),
		[](const std::pair<int, AudioWString>& a, const std::pair<int, AudioWString>& b) { return a.first > b.first; });
}

bool CAudioManager::registerDataSource(IDataSourceFactory* factory, const char* name, int priority)
{
	CAudioLock lock(Mutex);
	const AudioWString key = utf8ToWide(name);
	DataSources[key] = factory;
	DataSourceOrder.emplace_back(priority, key);
	sortDataSources();
	getLogger()->logInfo(SENDER, "Data Source named %s registered (Priority %i).", wideToUtf8(key), priority);
	return true;
}

void CAudioManager::unregisterDataSource(const char* name)
{
	CAudioLock lock(Mutex);
	const AudioWString key = utf8ToWide(name);
	if (DataSources.erase(key) != 0)
		getLogger()->logInfo(SENDER, "Data Source named %s unregistered.", wideToUtf8(key));
	const auto pair = std::find_if(DataSourceOrder.begin(), DataSourceOrder.end(),
		[&key](const std::pair<int, AudioWString>& entry) { return entry.second == key; });
	if (pair != DataSourceOrder.end())
		DataSourceOrder.erase(pair);
	sortDataSources();
}

bool CAudioManager::isDataSourceRegistered(const char* name)
{
	CAudioLock lock(Mutex);
	return DataSources.count(utf8ToWide(name)) != 0;
}

IDataSourceFactory* CAudioManager::getDataSourceFactory(const char* name)
{
	CAudioLock lock(Mutex);
	return findOrNull(DataSources, utf8ToWide(name));
}

void CAudioManager::unregisterAllDataSources()
{
	CAudioLock lock(Mutex);
	DataSources.clear();
	DataSourceOrder.clear();
}

// The handlers are the plug-ins' business and take no lock.
void CAudioManager::registerEventHandler(IManagerEventHandler* handler)
{
	if (handler)
		EventHandlers.push_back(handler);
}

void CAudioManager::unregisterEventHandler(IManagerEventHandler* handler)
{
	if (handler)
		EventHandlers.remove(handler);
}

void CAudioManager::unregisterAllEventHandlers()
{
	EventHandlers.clear();
}

} // namespace audio
} // namespace orv
