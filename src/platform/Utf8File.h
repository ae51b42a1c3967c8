#pragma once

#include <cstdio>

namespace orv {
namespace platform {

//! Opens a file named in UTF-8 with a C stdio mode; null when it cannot be
//! opened.
std::FILE* openUtf8File(const char* name, const char* mode);

} // namespace platform
} // namespace orv
