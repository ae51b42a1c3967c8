#pragma once

#include <string>

namespace orv {
namespace platform {

//! The folder of the running executable, ending in '/', as the system
//! spells it (bytes, normally UTF-8).
/** When the executable's path cannot be read, the current working
    directory; never empty, so nothing lands at the filesystem root by
    accident. */
std::string getProgramDirectory();

//! The folder part of a path up to and including its last '/'; empty when
//! the path holds none.
std::string folderOfPath(const std::string& path);

} // namespace platform
} // namespace orv
