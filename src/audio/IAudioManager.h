#pragma once

#include "audio/IAudioDecoder.h"
#include "audio/IAudioSource.h"
#include "audio/IDataSource.h"
#include "audio/IListener.h"
#include "audio/IManagerEventHandler.h"

namespace orv {
namespace audio {

//! One OpenAL device and context with the sources made through it, its
//! listener, and its registries of decoders by extension, data sources by
//! name and priority, and event handlers. All texts are UTF-8.
/** A source made here comes with a reference for the caller, who drops it
    when done with it, and the manager holds one of its own while the source
    is in its set (until releaseSource, releaseAllSources or shutdown), so
    either may let go first. */
class IAudioManager
{
public:
	virtual ~IAudioManager() = default;

	//! Opens the device (null: the default one) and makes its context
	//! current; a frequency above 0 asks for that output rate. False when
	//! already initialised or on failure.
	virtual bool initialize(const char* deviceName, int outputFrequency, int effectSlots) = 0;
	//! Releases every source and closes the context and device.
	virtual void shutdown() = 0;
	//! Streams every valid source; the audio thread calls it.
	virtual void update() = 0;
	virtual IAudioSource* findSource(const char* name) = 0;
	virtual void releaseAllSources() = 0;
	virtual void releaseSource(IAudioSource* source) = 0;
	//! An index past the last name gives the last; "" without any.
	virtual const char* getDeviceName(unsigned index) = 0;
	virtual unsigned getDeviceCount() = 0;
	virtual const char* getDefaultDeviceName() = 0;

	//! A source for a file found through the registered data sources.
	virtual IAudioSource* create(const char* name, const char* fileName, bool stream) = 0;
	//! A source over a copy of a whole sound file held in memory; the
	//! extension (without the dot) picks the decoder.
	virtual IAudioSource* createFromMemory(const char* name, const char* data, int length, const char* extension) = 0;
	//! A source over a copy of headerless PCM of that rate and layout.
	virtual IAudioSource* createFromRaw(
		const char* name, const char* data, int length, int frequency, AudioFormat format) = 0;

	virtual bool registerAudioDecoder(IAudioDecoderFactory* factory, const char* extension) = 0;
	virtual void unregisterAudioDecoder(const char* extension) = 0;
	virtual bool isAudioDecoderRegistered(const char* extension) = 0;
	virtual IAudioDecoderFactory* getAudioDecoderFactory(const char* extension) = 0;
	virtual void unregisterAllAudioDecoders() = 0;

	//! Data sources are tried highest priority first.
	virtual bool registerDataSource(IDataSourceFactory* factory, const char* name, int priority) = 0;
	virtual void unregisterDataSource(const char* name) = 0;
	virtual bool isDataSourceRegistered(const char* name) = 0;
	virtual IDataSourceFactory* getDataSourceFactory(const char* name) = 0;
	virtual void unregisterAllDataSources() = 0;

	virtual void registerEventHandler(IManagerEventHandler* handler) = 0;
	virtual void unregisterEventHandler(IManagerEventHandler* handler) = 0;
	virtual void unregisterAllEventHandlers() = 0;

	//! The manager's listener, valid as long as the manager.
	virtual IListener* getListener() = 0;
};

//! A new manager on the default device, with the built-in decoders and the
//! file data source registered and the plug-ins told; null only when it
//! cannot be allocated. A manager whose device did not open is returned
//! too (every sound made through it then fails). The first manager starts
//! the audio thread.
IAudioManager* createAudioManager();

//! Shuts the manager down and destroys it; the last one stops the audio
//! thread and waits for it. Null is ignored.
void destroyAudioManager(IAudioManager* manager);

//! Whether a manager made by createAudioManager has its sound device open;
//! false for null. One without a device makes no sound and no source.
bool hasOpenDevice(IAudioManager* manager);

} // namespace audio
} // namespace orv
