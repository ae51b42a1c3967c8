#pragma once
// Reads the client's outgoing byte stream back the way a server does.

#include <string>
#include <vector>

#include <irrTypes.h>

#include "net/CPacketCipher.h"

namespace orv {
namespace test {

struct SSentBlock
{
	irr::u8 type;
	// The payload descrambled and decompressed: the joined frames.
	std::string bytes;
};

// Cuts `wire` into blocks, runs `cipher` across all of them in order and
// decompresses each without the client's 65,535-byte limit. Fails the
// current test on a cut-short block or a payload that does not decompress.
std::vector<SSentBlock> decodeSentBlocks(const std::string& wire, net::CPacketCipher& cipher);

} // namespace test
} // namespace orv
