#pragma once

#include <cstring>

#include <irrTypes.h>

#include "base/ByteOrder.h"
#include "base/ustring16.h"

namespace orv {
namespace net {

//! The client's one byte buffer: wire messages, blocks, frames, queued input
//! events and script callback arguments all travel in it.
/** Written by building small packets and appending them, read front to back
    through a read position. Integers are big-endian. Reads never fail loudly:
    a fixed-width read that finds too few bytes yields 0 and leaves the read
    position, so the bytes that are there stay readable by a narrower read; a
    counted read takes what remains. Text is UTF-8 on the wire, without a
    terminator.

    Small packets (the integer forms, most frames of the game) live inside the
    object itself, so building and appending them does not touch the heap. */
class packet
{
public:
	//! Bytes held without a heap allocation.
	static const irr::u32 INLINE_CAPACITY = 24;

	packet() {}
	//! Copies the bytes; the copy reads from its first byte.
	packet(const packet& other);
	//! Takes the bytes; the new packet reads from its first byte, like a copy.
	packet(packet&& other) noexcept;
	packet& operator=(const packet& other);
	packet& operator=(packet&& other) noexcept;
	~packet();

	//! The text's UTF-8 bytes, no terminator, no length.
	static packet fromText(const irr::core::ustring16& text);
	//! A copy of the bytes in [first, last).
	static packet fromBytes(const irr::u8* first, const irr::u8* last);
	static packet fromU8(irr::u8 value);
	static packet fromU16(irr::u16 value);
	//! The low 24 bits.
	static packet fromU24(irr::u32 value);
	static packet fromU32(irr::u32 value);
	//! The low 40, 48 and 56 bits.
	static packet fromU40(irr::u64 value);
	static packet fromU48(irr::u64 value);
	static packet fromU56(irr::u64 value);
	static packet fromU64(irr::u64 value);
	//! The width-byte form of 1 to 8 bytes; any other width gives an empty packet.
	static packet fromInt(irr::u8 width, irr::u64 value);
	//! A width byte, the UTF-8 length in that many bytes, then the UTF-8 bytes.
	static packet fromString(const irr::core::ustring16& text);
	//! The IEEE-754 single-precision bits, as fromU32.
	static packet fromFloat(irr::f32 value);
	//! The IEEE-754 double-precision bits, as fromU64.
	static packet fromDouble(irr::f64 value);

	//! Appends the other packet's bytes; the read position stays. Chains.
	packet& append(packet other);
	//! Appends the text's UTF-8 bytes (no terminator, no length).
	packet& appendText(const irr::core::ustring16& text);
	//! Appends raw bytes; the read position stays.
	packet& appendBytes(const irr::u8* data, irr::u32 count);

	irr::u8 readU8();
	irr::u16 readU16();
	irr::u32 readU24();
	irr::u32 readU32();
	irr::u64 readU40() { return readWide(5); }
	irr::u64 readU48() { return readWide(6); }
	irr::u64 readU56() { return readWide(7); }
	irr::u64 readU64() { return readWide(8); }
	//! Width 1 to 8 reads that many bytes, zero-extended; 0 or above 8 reads
	//! nothing and yields 0.
	irr::u64 readInt(irr::u8 width);
	irr::f32 readFloat();
	//! The bits of readU64 taken as an IEEE-754 double.
	irr::f64 readDouble();
	//! The next count bytes (at most what remains) as a new packet.
	packet readPacket(irr::u64 count);
	//! The next count bytes (at most what remains) decoded from UTF-8; the
	//! text ends at the first NUL, the bytes after it are still consumed.
	irr::core::ustring16 readChars(irr::u64 count);
	//! A wire string, as fromString writes it.
	irr::core::ustring16 readString();
	//! The whole content decoded from UTF-8, whatever the read position.
	irr::core::ustring16 toText() const;

	irr::u32 getSize() const { return Size; }
	bool isEmpty() const { return Size == 0; }
	const irr::u8* getData() const { return Data; }
	irr::u8* getData() { return Data; }
	irr::u32 getReadPosition() const { return ReadPos; }
	//! Positions past the end are clamped to the end.
	void setReadPosition(irr::u32 position) { ReadPos = position < Size ? position : Size; }
	//! The bytes from the read position to the end.
	irr::u32 getBytesLeft() const { return Size - ReadPos; }

	//! Drops the first count bytes (all of them when count exceeds the size)
	//! and reads from the new first byte.
	void removeFront(irr::u32 count);
	//! Drops the bytes before the read position, which becomes 0.
	void removeRead() { removeFront(ReadPos); }
	//! Empties the packet; the room stays.
	void clear()
	{
		Size = 0;
		ReadPos = 0;
	}
	//! Makes room for at least that many bytes in total.
	void reserve(irr::u32 capacity);
	//! Resizes the content; new bytes are 0. The read position is clamped.
	void resize(irr::u32 size);

	//! Same bytes; read positions do not matter.
	bool operator==(const packet& other) const;
	bool operator!=(const packet& other) const { return !(*this == other); }

private:
	// The fast path of the narrow integer reads; false when too few bytes remain.
	bool has(irr::u32 count) const { return count <= Size - ReadPos; }
	irr::u64 readWide(irr::u32 width);
	// width (at most 8) low bytes of the value, most significant first.
	static packet bigEndian(irr::u64 value, irr::u32 width);
	void grow(irr::u32 needed);
	bool isInline() const { return Data == Inline; }

	irr::u8* Data = Inline;
	irr::u32 Size = 0;
	irr::u32 Capacity = INLINE_CAPACITY;
	irr::u32 ReadPos = 0;
	irr::u8 Inline[INLINE_CAPACITY];
};

inline irr::u8 packet::readU8()
{
	if (!has(1))
		return 0;
	return Data[ReadPos++];
}

inline irr::u16 packet::readU16()
{
	if (!has(2))
		return 0;
	const irr::u8* p = Data + ReadPos;
	ReadPos += 2;
	return readBE16(p);
}

inline irr::u32 packet::readU24()
{
	if (!has(3))
		return 0;
	const irr::u8* p = Data + ReadPos;
	ReadPos += 3;
	return (irr::u32(p[0]) << 16) | (irr::u32(p[1]) << 8) | p[2];
}

inline irr::u32 packet::readU32()
{
	if (!has(4))
		return 0;
	const irr::u8* p = Data + ReadPos;
	ReadPos += 4;
	return readBE32(p);
}

inline irr::u64 packet::readWide(irr::u32 width)
{
	if (!has(width))
		return 0;
	const irr::u8* p = Data + ReadPos;
	ReadPos += width;
	irr::u64 value = 0;
	for (irr::u32 i = 0; i < width; ++i)
		value = (value << 8) | p[i];
	return value;
}

inline irr::u64 packet::readInt(irr::u8 width)
{
	if (width == 0 || width > 8)
		return 0;
	return readWide(width);
}

inline irr::f32 packet::readFloat()
{
	if (!has(4))
		return 0.0f;
	const irr::u32 bits = readU32();
	irr::f32 value;
	std::memcpy(&value, &bits, sizeof value);
	return value;
}

inline irr::f64 packet::readDouble()
{
	if (!has(8))
		return 0.0;
	const irr::u64 bits = readU64();
	irr::f64 value;
	std::memcpy(&value, &bits, sizeof value);
	return value;
}

} // end namespace net
} // end namespace orv
