#pragma once

namespace orv {
namespace platform {

//! Names the calling thread for debuggers and the system's thread lists
//! (the system keeps the first 15 bytes).
void setCurrentThreadName(const char* name);

} // namespace platform
} // namespace orv
