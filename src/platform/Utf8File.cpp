#include "platform/Utf8File.h"

namespace orv {
namespace platform {

// File names are bytes here, and the system takes UTF-8 as it is.
std::FILE* openUtf8File(const char* name, const char* mode)
{
	return std::fopen(name, mode);
}

} // namespace platform
} // namespace orv
