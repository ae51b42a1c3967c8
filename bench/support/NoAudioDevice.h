#pragma once
// The engine opens an audio device when it starts. A benchmark of something
// else runs without one: no mixing thread beside what it measures, and no
// complaints of the sound library about a missing card.

#include <cstdlib>

namespace orv {
namespace bench {

//! Before the first engine starts.
inline void withoutAudioDevice()
{
	setenv("ALSOFT_DRIVERS", "none", 0);
}

} // namespace bench
} // namespace orv
