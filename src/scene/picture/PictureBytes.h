#pragma once

#include <cstddef>

#include <irrTypes.h>

#include "base/ByteOrder.h"

namespace orv {

//! A picture file's bytes, read only after a check against the end: a field
//! beyond it refuses the picture, it is never read.
class CPictureBytes
{
public:
	CPictureBytes(const irr::u8* data, std::size_t size) : Data(data), Size(data ? size : 0) {}

	irr::u64 size() const { return Size; }
	bool has(irr::u64 offset, irr::u64 count) const { return offset <= Size && count <= Size - offset; }
	irr::u8 at(irr::u64 offset) const { return Data[offset]; }
	const irr::u8* from(irr::u64 offset) const { return Data + offset; }
	irr::u16 le16(irr::u64 offset) const { return readLE16(from(offset)); }
	irr::u32 le32(irr::u64 offset) const { return readLE32(from(offset)); }
	irr::u16 be16(irr::u64 offset) const { return readBE16(from(offset)); }
	irr::u32 be32(irr::u64 offset) const { return readBE32(from(offset)); }

private:
	const irr::u8* Data;
	irr::u64 Size;
};

} // namespace orv
