#pragma once

#include "base/packet.h"
#include "net/CPacketCipher.h"

#include <ILogger.h>

namespace orv {
namespace net {

//! Turns a received block (compression byte and payload) into its frames' bytes, in place.
/** The cipher runs over every block whose type it knows, so the keystream stays in step with the
    server's even when decompression fails. False when the block yields nothing: an unknown
    compression type (logged on "net") or a failed decompression (printed by the decompressor). */
bool decodeBlock(CPacketCipher& cipher, packet& block, irr::ILogger* logger);

//! The same on a block read where it lies, its frames' bytes appended to \p out (left as it was
//! when the block yields nothing). \p scratch holds the descrambled payload on its way to the
//! decompressor; a stream reuses it from block to block.
bool decodeBlockInto(
	CPacketCipher& cipher, const irr::u8* block, irr::u32 size, packet& scratch, packet& out, irr::ILogger* logger);

} // namespace net
} // namespace orv
