#include "base/packet.h"

#include <cstdlib>
#include <new>
#include <string>

namespace orv {
namespace net {

namespace {

// The wire carries UTF-8 only: no byte-order mark decides anything here, and
// the text ends at the first NUL like the C strings the server builds from.
irr::core::ustring16 decodeUtf8(const irr::u8* bytes, irr::u32 count)
{
	if (count == 0)
		return irr::core::ustring16();
	const void* nul = std::memchr(bytes, 0, count);
	if (nul)
		count = static_cast<irr::u32>(static_cast<const irr::u8*>(nul) - bytes);
	return irr::core::ustring16(std::string(reinterpret_cast<const char*>(bytes), count));
}

// Fewest bytes that hold the value, at least one.
irr::u8 lengthWidth(irr::u32 length)
{
	irr::u8 width = 1;
	for (length >>= 8; length != 0; length >>= 8)
		++width;
	return width;
}

} // end anonymous namespace

packet packet::bigEndian(irr::u64 value, irr::u32 width)
{
	// Integers always fit the inline room: no allocation, no copy.
	packet p;
	for (irr::u32 i = 0; i < width; ++i)
		p.Inline[i] = static_cast<irr::u8>(value >> (8 * (width - 1 - i)));
	p.Size = width;
	return p;
}

packet::packet(const packet& other)
{
	appendBytes(other.Data, other.Size);
}

packet::packet(packet&& other) noexcept
{
	*this = static_cast<packet&&>(other);
}

packet& packet::operator=(const packet& other)
{
	if (this != &other)
	{
		Size = 0;
		appendBytes(other.Data, other.Size);
	}
	ReadPos = 0;
	return *this;
}

packet& packet::operator=(packet&& other) noexcept
{
	if (this == &other)
	{
		ReadPos = 0;
		return *this;
	}
	if (other.isInline())
	{
		// Our own room always holds an inline-sized content.
		std::memcpy(Data, other.Data, other.Size);
		Size = other.Size;
	}
	else
	{
		if (!isInline())
			std::free(Data);
		Data = other.Data;
		Size = other.Size;
		Capacity = other.Capacity;
		other.Data = other.Inline;
		other.Capacity = INLINE_CAPACITY;
	}
	ReadPos = 0;
	other.Size = 0;
	other.ReadPos = 0;
	return *this;
}

packet::~packet()
{
	if (!isInline())
		std::free(Data);
}

packet packet::fromText(const irr::core::ustring16& text)
{
	packet p;
	p.appendText(text);
	return p;
}

packet packet::fromBytes(const irr::u8* first, const irr::u8* last)
{
	packet p;
	if (first && last > first)
		p.appendBytes(first, static_cast<irr::u32>(last - first));
	return p;
}

packet packet::fromU8(irr::u8 value)
{
	return bigEndian(value, 1);
}
packet packet::fromU16(irr::u16 value)
{
	return bigEndian(value, 2);
}
packet packet::fromU24(irr::u32 value)
{
	return bigEndian(value, 3);
}
packet packet::fromU32(irr::u32 value)
{
	return bigEndian(value, 4);
}
packet packet::fromU40(irr::u64 value)
{
	return bigEndian(value, 5);
}
packet packet::fromU48(irr::u64 value)
{
	return bigEndian(value, 6);
}
packet packet::fromU56(irr::u64 value)
{
	return bigEndian(value, 7);
}
packet packet::fromU64(irr::u64 value)
{
	return bigEndian(value, 8);
}

packet packet::fromInt(irr::u8 width, irr::u64 value)
{
	if (width == 0 || width > 8)
		return packet();
	return bigEndian(value, width);
}

packet packet::fromString(const irr::core::ustring16& text)
{
	const std::string utf8 = text.toUTF8_std();
	const irr::u32 length = static_cast<irr::u32>(utf8.size());
	const irr::u8 width = lengthWidth(length);
	packet p = bigEndian(width, 1);
	p.append(bigEndian(length, width));
	p.appendBytes(reinterpret_cast<const irr::u8*>(utf8.data()), length);
	return p;
}

packet packet::fromFloat(irr::f32 value)
{
	irr::u32 bits;
	std::memcpy(&bits, &value, sizeof bits);
	return fromU32(bits);
}

packet packet::fromDouble(irr::f64 value)
{
	irr::u64 bits;
	std::memcpy(&bits, &value, sizeof bits);
	return fromU64(bits);
}

packet& packet::append(packet other)
{
	if (Size == 0 && !other.isInline())
	{
		// Appending to an empty packet: take the other's room instead of copying.
		*this = static_cast<packet&&>(other);
		return *this;
	}
	return appendBytes(other.Data, other.Size);
}

packet& packet::appendText(const irr::core::ustring16& text)
{
	if (text.empty())
		return *this;
	const std::string utf8 = text.toUTF8_std();
	return appendBytes(reinterpret_cast<const irr::u8*>(utf8.data()), static_cast<irr::u32>(utf8.size()));
}

packet& packet::appendBytes(const irr::u8* data, irr::u32 count)
{
	if (count == 0)
		return *this;
	if (count > Capacity - Size)
	{
		// The source may lie inside our own room, which grow() replaces.
		if (data >= Data && data < Data + Size)
		{
			const irr::u32 offset = static_cast<irr::u32>(data - Data);
			grow(count);
			data = Data + offset;
		}
		else
			grow(count);
	}
	std::memmove(Data + Size, data, count);
	Size += count;
	return *this;
}

packet packet::readPacket(irr::u64 count)
{
	const irr::u32 taken = count < getBytesLeft() ? static_cast<irr::u32>(count) : getBytesLeft();
	packet p;
	p.appendBytes(Data + ReadPos, taken);
	ReadPos += taken;
	return p;
}

irr::core::ustring16 packet::readChars(irr::u64 count)
{
	const irr::u32 taken = count < getBytesLeft() ? static_cast<irr::u32>(count) : getBytesLeft();
	const irr::u32 start = ReadPos;
	ReadPos += taken;
	return decodeUtf8(Data + start, taken);
}

irr::core::ustring16 packet::readString()
{
	const irr::u8 width = readU8();
	const irr::u64 length = readInt(width);
	return readChars(length);
}

irr::core::ustring16 packet::toText() const
{
	return decodeUtf8(Data, Size);
}

void packet::removeFront(irr::u32 count)
{
	if (count >= Size)
		Size = 0;
	else if (count > 0)
	{
		std::memmove(Data, Data + count, Size - count);
		Size -= count;
	}
	ReadPos = 0;
}

void packet::reserve(irr::u32 capacity)
{
	if (capacity > Capacity)
		grow(capacity - Size);
}

void packet::resize(irr::u32 size)
{
	if (size > Size)
	{
		if (size - Size > Capacity - Size)
			grow(size - Size);
		std::memset(Data + Size, 0, size - Size);
	}
	Size = size;
	if (ReadPos > Size)
		ReadPos = Size;
}

bool packet::operator==(const packet& other) const
{
	return Size == other.Size && (Size == 0 || std::memcmp(Data, other.Data, Size) == 0);
}

void packet::grow(irr::u32 needed)
{
	const irr::u64 required = irr::u64(Size) + needed;
	if (required > 0xFFFFFFFFull)
		throw std::bad_alloc();
	irr::u64 capacity = irr::u64(Capacity) * 2;
	if (capacity < required)
		capacity = required;
	if (capacity > 0xFFFFFFFFull)
		capacity = 0xFFFFFFFFull;
	irr::u8* bytes = static_cast<irr::u8*>(std::malloc(static_cast<size_t>(capacity)));
	if (!bytes)
		throw std::bad_alloc();
	if (Size)
		std::memcpy(bytes, Data, Size);
	if (!isInline())
		std::free(Data);
	Data = bytes;
	Capacity = static_cast<irr::u32>(capacity);
}

} // end namespace net
} // end namespace orv
