#include "net/CPacketCipher.h"

namespace orv {
namespace net {

void CPacketCipher::reset(irr::u8 newKey)
{
	key = newKey;
	iterator = START_ITERATOR;
	factor = FACTOR;
	wordsLeft = 0;
}

bool CPacketCipher::setWordsForCompression(irr::u8 type)
{
	// The compressed forms carry their own checks, so less of them is scrambled.
	switch (type)
	{
	case 0:
		wordsLeft = 12;
		return true;
	case 2:
		wordsLeft = 6;
		return true;
	case 4:
		wordsLeft = 7;
		return true;
	default:
		return false;
	}
}

void CPacketCipher::apply(packet& bytes)
{
	apply(bytes.getData(), bytes.getSize());
}

packet CPacketCipher::applyCopy(packet bytes)
{
	apply(bytes.getData(), bytes.getSize());
	bytes.setReadPosition(0);
	return bytes;
}

void CPacketCipher::apply(irr::u8* bytes, irr::u32 count)
{
	if (count == 0 || generation != 0)
		return;
	for (irr::u32 i = 0; i < count && wordsLeft != 0; i += 4)
	{
		iterator = iterator * factor + key;
		--wordsLeft;
		const irr::u32 end = count - i < 4 ? count - i : 4;
		for (irr::u32 j = 0; j < end; ++j)
			bytes[i + j] ^= static_cast<irr::u8>(iterator >> (8 * j));
	}
}

} // end namespace net
} // end namespace orv
