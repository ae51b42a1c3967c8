#pragma once

#include <chrono>

namespace orv {
namespace platform {

//! The processor time the calling thread has used: it stands still while the
//! thread waits or the system runs others, so a busy machine does not make
//! the thread's own work look longer.
std::chrono::nanoseconds threadCpuTime();

} // namespace platform
} // namespace orv
