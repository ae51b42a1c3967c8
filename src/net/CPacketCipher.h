#pragma once

#include <irrTypes.h>

#include "base/packet.h"

namespace orv {
namespace net {

//! One direction's keystream: scrambles the head of every block payload.
/** The iterator runs on from block to block for the whole connection, so the
    client must feed it exactly the bytes the server feeds its own copy, in the
    same order. Scrambling and descrambling are the same operation. */
struct CPacketCipher
{
	static const irr::u32 START_ITERATOR = 0x5C17E2A9;
	static const irr::u32 FACTOR = 0x02D6B4F3;

	//! Added to the iterator at every step.
	irr::u8 key = 0;
	irr::u32 iterator = START_ITERATOR;
	irr::u32 factor = FACTOR;
	//! 4-byte groups of the current block still to scramble.
	irr::u32 wordsLeft = 0;
	//! Non-zero switches the cipher off; nothing the client does sets it.
	irr::u32 generation = 0;

	//! Starts the keystream again with a new key. The generation stays: the
	//! send queue clears its own before it resets.
	void reset(irr::u8 newKey);

	//! Words of a block of that compression type (0, 2 or 4); false and no
	//! change for any other type.
	bool setWordsForCompression(irr::u8 type);

	//! Scrambles or descrambles the packet's bytes in place.
	void apply(packet& bytes);

	//! The same, on a packet handed over; the result reads from its first byte.
	packet applyCopy(packet bytes);

	//! The same on raw bytes.
	void apply(irr::u8* bytes, irr::u32 count);
};

} // end namespace net
} // end namespace orv
