#pragma once

namespace orv {
namespace net {

// The compression type byte at the head of every block.
enum EPacketCompression
{
	EPC_NONE = 0,
	EPC_ZLIB = 2,
	EPC_BZIP2 = 4
};

} // namespace net
} // namespace orv
