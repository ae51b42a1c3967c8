#pragma once

#include "base/packet.h"

namespace orv {
namespace net {

// Block payload compression, one library call each. A result has at most
// 65,535 bytes, the most a block can carry. On success the packet holds the
// result and reads from its first byte; on failure it is left exactly as it
// was. The decompressors print the library's complaint on standard output.

//! zlib at its default level.
bool compressZlib(packet& data);
//! bzip2 with 100,000-byte blocks: the smallest, since a block never holds more.
bool compressBzip2(packet& data);
bool decompressZlib(packet& data);
bool decompressBzip2(packet& data);
//! The same from raw bytes, the result appended to `out`; `out` is left as it
//! was on failure.
bool decompressZlibInto(const irr::u8* data, irr::u32 size, packet& out);
bool decompressBzip2Into(const irr::u8* data, irr::u32 size, packet& out);

//! The line a failed decompression prints for a library result; null for
//! results that print nothing.
const char* describeZlibFailure(int result);
const char* describeBzip2Failure(int result);

} // end namespace net
} // end namespace orv
