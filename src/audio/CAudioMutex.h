#pragma once

#include <mutex>

namespace orv {
namespace audio {

//! The recursive lock that every manager, source, listener and the logger
//! embed; the thread that holds it may take it again. Use it with
//! std::lock_guard so that every way out releases it.
class CAudioMutex
{
public:
	void lock() { Mutex.lock(); }
	void unlock() { Mutex.unlock(); }

private:
	std::recursive_mutex Mutex;
};

typedef std::lock_guard<CAudioMutex> CAudioLock;

} // namespace audio
} // namespace orv
