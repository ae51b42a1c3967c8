#pragma once
// Integers from bytes in a stated order: file formats store them low byte
// first, the wire high byte first. The caller has checked the bytes are there.

#include <irrTypes.h>

namespace orv {

inline irr::u16 readLE16(const irr::u8* p)
{
	return static_cast<irr::u16>(p[0] | p[1] << 8);
}

inline irr::u32 readLE32(const irr::u8* p)
{
	return irr::u32(readLE16(p)) | irr::u32(readLE16(p + 2)) << 16;
}

inline irr::u16 readBE16(const irr::u8* p)
{
	return static_cast<irr::u16>(p[0] << 8 | p[1]);
}

inline irr::u32 readBE32(const irr::u8* p)
{
	return irr::u32(readBE16(p)) << 16 | readBE16(p + 2);
}

} // namespace orv
