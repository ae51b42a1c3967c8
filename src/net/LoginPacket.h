#pragma once
// The packets the client writes itself: the frame around any outgoing packet
// and the login with its exchange of keys.

#include <irrString.h>
#include <irrTypes.h>

#include "base/packet.h"

namespace orv {
namespace net {

struct CPacketCipher;
class CSendQueue;

// The login's length bytes hold at most this many UTF-16 code units.
const irr::u32 MaxLoginTextUnits = 255;

// The packet behind a width byte and its length in that many bytes (the
// fewest, 1 to 4, that hold it): one frame for the send queue.
packet makeFrame(const packet& payload);

// Packet 1: id, 0, the key byte, "CL00000000", then the user name and the
// password, each as its length and one byte per UTF-16 code unit, cut to
// MaxLoginTextUnits units.
packet buildLoginPacket(const irr::core::stringw& userName, const irr::core::stringw& password, irr::u8 key);

// Where the login key comes from: the C library's generator, never seeded,
// unless a test puts its own function in; null puts the generator back.
typedef int (*LoginKeySource)();
void setLoginKeySource(LoginKeySource source);
irr::u8 nextLoginKey();

// Resets both ciphers to key 0, sends the login in a block of its own at
// once, then resets both ciphers to the login's key for the rest of the
// connection.
void sendLogin(
	CSendQueue& queue, CPacketCipher& incoming, const irr::core::stringw& userName, const irr::core::stringw& password);

} // namespace net
} // namespace orv
