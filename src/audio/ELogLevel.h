#pragma once

namespace orv {
namespace audio {

//! Audio log levels, lowest first.
enum ELogLevel
{
	ELL_DEBUG = 0,
	ELL_INFO = 1,
	ELL_WARNING = 2,
	ELL_ERROR = 3,
	ELL_CRITICAL = 4
};

//! "Debug", "Information", "Warning", "Error" or "Critical"; "" for a value
//! outside the enumeration.
const char* getLogLevelName(ELogLevel level);

} // namespace audio
} // namespace orv
