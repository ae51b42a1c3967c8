#pragma once
// How much of the received stream one main-loop frame takes on. Blocks cost
// their decompression, frames what their packet makes the client do; a frame
// stops taking more once its budget is spent and leaves the rest, in order,
// for the frames after it. The work unit is about a microsecond of a Release
// build on the development machine (bench_flood prints what each flood costs).

#include <irrTypes.h>

#include <cstddef>

namespace orv {
namespace net {

//! What one pass over the stream may take on. The first block and the first frame of a pass always
//! go, so a pass never stalls; past that, a block is decoded and a frame dispatched only within
//! every bound.
struct SReceiveBudget
{
	//! Bytes decompressed out of blocks: sixteen full blocks, far more than a game sends a frame.
	irr::u32 inflatedBytes = 1u << 20;
	//! Packets dispatched: above the 10,000 moving objects of a busy world, each synchronised once a frame.
	irr::u32 packets = 16384;
	//! Blocks and packets weighed by what they cost (blockWork, packetWork): about 25 ms.
	irr::u32 work = 25000;
	//! Received bytes that may wait to be cut into blocks before the socket is read again: one read.
	irr::u32 waitingBytes = 1u << 20;

	//! No bound at all: everything complete is handled at once.
	static SReceiveBudget unbounded() { return {~0u, ~0u, ~0u, ~0u}; }
};

//! What one pass took on.
struct SReceiveWork
{
	irr::u32 blocks = 0;
	irr::u32 inflatedBytes = 0;
	irr::u32 packets = 0;
	irr::u32 work = 0;
};

//! The work of decoding one block of that compression type, from its size on the wire and the bytes
//! it gave. bzip2 costs about 33 ns per byte it reads and 4 per byte it writes, zlib a few ns per
//! byte either way; a block that yields nothing has printed why.
irr::u32 blockWork(irr::u8 type, std::size_t wireBytes, std::size_t inflatedBytes, bool decoded);

//! The work of one packet (id and fields), by what its id makes the client create or build. Script
//! code is weighed by its length: a build of plain code takes about 0.4 ms and 0.15 us a byte, and
//! the weight leaves a margin of three for heavier code, so one frame builds a single large script
//! or a few small ones.
irr::u32 packetWork(const irr::u8* packet, std::size_t size);

//! Looking a name of that many bytes up among that many attributes: names are compared in turn,
//! and names alike up to their last bytes are compared whole.
irr::u32 searchWork(std::size_t attributes, std::size_t nameBytes);

//! Copying that many bytes of attributes into a new object: about a microsecond for each KiB.
irr::u32 copyWork(std::size_t bytes);
//! Writing a file of that many bytes: about 2.5 us for each KiB.
irr::u32 writeWork(std::size_t bytes);
//! The bytes of a file that much work writes, so writeWork of them is no more than \p work.
std::size_t writableBytes(irr::u32 work);

} // namespace net
} // namespace orv
