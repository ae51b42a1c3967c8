// Making and destroying managers, and the one audio thread that streams the
// sources of every live manager.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "audio/CAudioManager.h"
#include "audio/CFileSourceFactory.h"
#include "audio/DecoderFactories.h"
#include "audio/ILogger.h"
#include "audio/IPluginManager.h"
#include "platform/ThreadName.h"

namespace orv {
namespace audio {

namespace {

const std::chrono::milliseconds UPDATE_PAUSE(1);
// As the system's thread lists show it.
const char* const AUDIO_THREAD_NAME = "orv-audio";
// The device is left to OpenAL's own choice of rate.
const int DEFAULT_OUTPUT_FREQUENCY = -1;
const int DEFAULT_EFFECT_SLOTS = 4;

struct SManagerSet
{
	// Taken by the audio thread on every pass: the set and each manager in it.
	CAudioMutex Mutex;
	AudioSet<IAudioManager*> Managers;
	std::atomic<bool> Running{false};
	// Serialises starting and stopping the thread: a manager made while the
	// last one is being destroyed waits until the old thread has ended, so
	// there is never a second one.
	std::mutex Control;
	std::thread Thread;
	// The thread sleeps here while no manager has a source, which is always
	// so without a sound device. Every source made, and the end of the
	// thread, counts a wake; the thread waits only while the count is the
	// one it read before its last pass, so no wake falls between.
	std::mutex WakeMutex;
	std::condition_variable Wake;
	unsigned long Wakes = 0;

	unsigned long readWakes()
	{
		std::lock_guard<std::mutex> guard(WakeMutex);
		return Wakes;
	}
	void wake()
	{
		{
			std::lock_guard<std::mutex> guard(WakeMutex);
			++Wakes;
		}
		Wake.notify_all();
	}
	void waitForWork(unsigned long seen)
	{
		std::unique_lock<std::mutex> guard(WakeMutex);
		Wake.wait(guard, [&] { return !Running.load() || Wakes != seen; });
	}
	// Told to end, and woken should it be waiting.
	void stopThread()
	{
		Running = false;
		wake();
	}

	// A manager never destroyed still has its thread stopped before the
	// process ends.
	~SManagerSet()
	{
		std::lock_guard<std::mutex> control(Control);
		stopThread();
		if (Thread.joinable())
			Thread.join();
	}
};

SManagerSet& managerSet()
{
	static SManagerSet set;
	return set;
}

void audioUpdateThread(SManagerSet* set)
{
	platform::setCurrentThreadName(AUDIO_THREAD_NAME);
	while (set->Running.load())
	{
		const unsigned long wakes = set->readWakes();
		bool streaming = false;
		{
			CAudioLock lock(set->Mutex);
			// Every manager of the set was made by createAudioManager.
			for (IAudioManager* manager : set->Managers)
			{
				manager->update();
				streaming = streaming || static_cast<CAudioManager*>(manager)->hasSources();
			}
		}
		if (streaming)
			std::this_thread::sleep_for(UPDATE_PAUSE);
		else
			set->waitForWork(wakes);
	}
}

} // namespace

void wakeAudioThread()
{
	managerSet().wake();
}

bool hasOpenDevice(IAudioManager* manager)
{
	return manager && static_cast<CAudioManager*>(manager)->isInitialised();
}

IAudioManager* createAudioManager()
{
	// The logger and the plug-ins outlive the thread: made first, they are
	// destroyed after the set that stops it.
	getLogger();
	getPluginManager();
	SManagerSet& set = managerSet();

	CAudioManager* manager = new CAudioManager();
	if (!manager)
		return nullptr;
	manager->initialize(nullptr, DEFAULT_OUTPUT_FREQUENCY, DEFAULT_EFFECT_SLOTS);
	manager->enumerateDevices();
	manager->registerAudioDecoder(getOggDecoderFactory(), "ogg");
	manager->registerAudioDecoder(getWavDecoderFactory(), "wav");
	manager->registerAudioDecoder(getRawDecoderFactory(), "raw");
	manager->registerDataSource(getFileSourceFactory(), "FileSystem", 0);
	for (IPluginModule* module : getPluginList())
		module->onManagerCreated(manager);

	std::lock_guard<std::mutex> control(set.Control);
	CAudioLock lock(set.Mutex);
	set.Managers.insert(manager);
	if (!set.Running && !set.Managers.empty())
	{
		set.Running = true;
		try
		{
			set.Thread = std::thread(audioUpdateThread, &set);
		}
		catch (const std::system_error&)
		{
			// Sources then play only what play() queued.
			set.Running = false;
		}
	}
	return manager;
}

void destroyAudioManager(IAudioManager* manager)
{
	if (!manager)
		return;
	SManagerSet& set = managerSet();
	{
		std::lock_guard<std::mutex> control(set.Control);
		std::thread ending;
		{
			CAudioLock lock(set.Mutex);
			// Not in the set: already destroyed, or never ours.
			if (set.Managers.erase(manager) == 0)
				return;
			if (set.Running && set.Managers.empty())
			{
				set.stopThread();
				ending = std::move(set.Thread);
			}
		}
		// Outside the set's lock, which the thread takes for its last pass.
		if (ending.joinable())
			ending.join();
	}
	for (IPluginModule* module : getPluginList())
		module->onManagerDestroyed(manager);
	manager->unregisterAllAudioDecoders();
	manager->unregisterAllDataSources();
	manager->unregisterAllEventHandlers();
	manager->shutdown();
	delete static_cast<CAudioManager*>(manager);
}

} // namespace audio
} // namespace orv
