#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <utility>

#include "audio/CAudioAllocator.h"
#include "audio/CAudioContext.h"
#include "audio/CAudioMutex.h"
#include "audio/CListener.h"
#include "audio/CMemoryOverride.h"
#include "audio/IAudioManager.h"

namespace orv {
namespace audio {

class CAudioManager : public IAudioManager, public CMemoryOverride
{
public:
	bool initialize(const char* deviceName, int outputFrequency, int effectSlots) override;
	void shutdown() override;
	void update() override;
	IAudioSource* findSource(const char* name) override;
	void releaseAllSources() override;
	void releaseSource(IAudioSource* source) override;
	const char* getDeviceName(unsigned index) override;
	unsigned getDeviceCount() override;
	const char* getDefaultDeviceName() override;

	IAudioSource* create(const char* name, const char* fileName, bool stream) override;
	IAudioSource* createFromMemory(const char* name, const char* data, int length, const char* extension) override;
	IAudioSource* createFromRaw(
		const char* name, const char* data, int length, int frequency, AudioFormat format) override;

	bool registerAudioDecoder(IAudioDecoderFactory* factory, const char* extension) override;
	void unregisterAudioDecoder(const char* extension) override;
	bool isAudioDecoderRegistered(const char* extension) override;
	IAudioDecoderFactory* getAudioDecoderFactory(const char* extension) override;
	void unregisterAllAudioDecoders() override;

	bool registerDataSource(IDataSourceFactory* factory, const char* name, int priority) override;
	void unregisterDataSource(const char* name) override;
	bool isDataSourceRegistered(const char* name) override;
	IDataSourceFactory* getDataSourceFactory(const char* name) override;
	void unregisterAllDataSources() override;

	void registerEventHandler(IManagerEventHandler* handler) override;
	void unregisterEventHandler(IManagerEventHandler* handler) override;
	void unregisterAllEventHandlers() override;

	IListener* getListener() override { return &Listener; }

	//! Fills the device names and the default one from OpenAL's enumeration.
	void enumerateDevices();
	//! Whether a device and its context are open.
	bool isInitialised();
	//! Whether the manager lists a source, which the audio thread streams.
	bool hasSources();

private:
	bool checkError();
	IAudioSource* createFromDecoderFactory(const char* name, const char* data, int length,
		const AudioWString& extension, bool raw, int frequency, AudioFormat format);
	//! Whether the device has a source left for one more; the first refusal
	//! is said once a game.
	bool hasSourceRoom(const char* name);
	IAudioSource* makeSource(IAudioDecoder* decoder, const char* name);
	void registerSource(const AudioWString& name, IAudioSource* source);
	void sortDataSources();

	CAudioMutex Mutex;
	ALCcontext* Context = nullptr;
	// What the sources hold of the context; ended by shutdown.
	CAudioContext* Shared = nullptr;
	ALCdevice* Device = nullptr;
	bool Initialised = false;
	//! The sources the device makes; read from it as it opens.
	unsigned SourceLimit = 0;
	AudioMap<AudioWString, IAudioSource*> SourceIndex;
	AudioVector<IAudioSource*> Sources;
	AudioMap<AudioWString, IAudioDecoderFactory*> Decoders;
	AudioMap<AudioWString, IDataSourceFactory*> DataSources;
	AudioVector<std::pair<int, AudioWString>> DataSourceOrder;
	CListener Listener;
	AudioVector<AudioWString> DeviceNames;
	AudioWString DefaultDeviceName;
	AudioList<IManagerEventHandler*> EventHandlers;
};

//! Tells the audio thread that a source came, should it be sleeping.
void wakeAudioThread();

} // namespace audio
} // namespace orv
