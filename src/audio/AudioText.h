#pragma once
// The library takes and hands out UTF-8 and stores UTF-16. Texts handed out
// live in rotating buffers of the calling thread: one stays valid until that
// thread has made eight further conversions of the same set.

#include "audio/CAudioAllocator.h"

namespace orv {
namespace audio {

//! Room of one rotating buffer, terminator included.
const size_t TEXT_BUFFER_SIZE = 1024;
//! Buffers per set and thread.
const size_t TEXT_BUFFER_COUNT = 8;

//! UTF-16 of a terminated UTF-8 text; null gives an empty text. Invalid bytes
//! become U+FFFD.
AudioWString utf8ToWide(const char* text);

//! UTF-8 of a wide text, cut to whole characters of at most 1023 bytes, in
//! the next buffer of the manager's set.
const char* wideToUtf8(const AudioWString& wide);
//! The same in the plug-in manager's own set.
const char* wideToUtf8Plugins(const AudioWString& wide);

//! The text after the last '.', empty when there is none.
AudioWString getExtension(const AudioWString& fileName);

} // namespace audio
} // namespace orv
