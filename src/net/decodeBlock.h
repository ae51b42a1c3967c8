#pragma once

#include "base/packet.h"
#include "net/CPacketCipher.h"

#include <ILogger.h>

namespace orv
{
namespace net
{

//! Turns a received block (compression byte and payload) into its frames' bytes, in place.
/** The cipher runs over every block whose type it knows, so the keystream stays in step with the
    server's even when decompression fails. False when the block yields nothing: an unknown
    compression type (logged on "net") or a failed decompression (printed by the decompressor). */
bool decodeBlock(CPacketCipher& cipher, packet& block, irr::ILogger* logger);

} // namespace net
} // namespace orv
