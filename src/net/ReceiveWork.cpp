#include "net/ReceiveWork.h"

#include "net/PacketIds.h"

namespace orv {
namespace net {

namespace {

// Every unit below was measured in a Release build (bench_flood): what each kind of packet costs
// beyond reading it, rounded up.

//! Reading a packet, whatever it holds.
const irr::u32 packetBase = 1;
//! Copying and reading its bytes: about a microsecond for each KiB.
const irr::u32 bytesPerUnit = 1024;

//! A name compared with another, beyond its bytes, and the bytes compared in a unit.
const std::size_t searchedBytesPerName = 16;
const std::size_t searchedBytesPerUnit = 2048;

//! Attribute values read out of a change packet, each looked up, checked and logged: about 0.2 us
//! for each value of four to six bytes.
const std::size_t valueBytesPerUnit = 24;

bool carriesValues(irr::u16 id)
{
	return id == ESPI_CHANGE_SERVER_PROPERTY || id == ESPI_CHANGE_OBJECT_ATTRIBUTE || id == ESPI_SYNC_OBJECT;
}

//! Writing a file: about 2.5 us for each KiB.
const std::size_t writtenBytesPerUnit = 400;

//! Cutting and descrambling a block; one that yields nothing prints a line on the console.
const irr::u32 blockBase = 8;
const irr::u32 failedBlock = 64;

//! A script build before its first byte, and what each byte of code adds.
const irr::u32 scriptBuild = 512;
const irr::u32 codeBytesPerUnit = 2;

//! What an id makes beyond its bytes: a class with its module, an object with its scene node and
//! body, an attribute looked up by name among those of its list, a message box laid out, a
//! fixture hulled and its body's mass redone, a file written.
irr::u32 makingWork(irr::u16 id)
{
	switch (id)
	{
	case ESPI_SERVER_ERROR:
		return 256;
	case ESPI_ADD_CLASS:
		return 8;
	case ESPI_ADD_CLASS_ATTRIBUTE:
	case ESPI_ADD_SERVER_ATTRIBUTE:
		return 32;
	case ESPI_ADD_OBJECT:
	case ESPI_DELETE_OBJECT:
		return 16;
	case ESPI_PHYSICS_SHAPE:
		// With the shapes it overlaps, which the world pairs it with in its next step.
		return 16;
	case ESPI_FILE_START:
	case ESPI_FILE_END:
		return 64;
	default:
		return 0;
	}
}

//! Where the code of a script packet begins, or 0 for a packet that carries none.
std::size_t codeOffset(irr::u16 id, const irr::u8* packet, std::size_t size)
{
	switch (id)
	{
	case ESPI_MAIN_SCRIPT:
		return 2;
	case ESPI_CLASS_SCRIPT:
		// The class name's length byte, then the name.
		return size > 2 ? 3 + packet[2] : 0;
	case ESPI_OBJECT_SCRIPT:
		// The object id.
		return 6;
	default:
		return 0;
	}
}

irr::u32 saturate(std::size_t value)
{
	return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<irr::u32>(value);
}

} // namespace

irr::u32 searchWork(std::size_t attributes, std::size_t nameBytes)
{
	return saturate(attributes * (nameBytes + searchedBytesPerName) / searchedBytesPerUnit);
}

irr::u32 copyWork(std::size_t bytes)
{
	return saturate(bytes / bytesPerUnit);
}

irr::u32 writeWork(std::size_t bytes)
{
	return saturate(bytes / writtenBytesPerUnit);
}

std::size_t writableBytes(irr::u32 work)
{
	return std::size_t(work) * writtenBytesPerUnit + (writtenBytesPerUnit - 1);
}

irr::u32 blockWork(irr::u8 type, std::size_t wireBytes, std::size_t inflatedBytes, bool decoded)
{
	std::size_t work = (decoded ? blockBase : failedBlock) + wireBytes / bytesPerUnit;
	if (type == 4)
		work += wireBytes / 32 + inflatedBytes / 256;
	else if (type == 2)
		work += (wireBytes + inflatedBytes) / 256;
	return saturate(work);
}

irr::u32 packetWork(const irr::u8* packet, std::size_t size)
{
	std::size_t work = packetBase + size / bytesPerUnit;
	if (size < 2)
		return saturate(work);
	const irr::u16 id = static_cast<irr::u16>((packet[0] << 8) | packet[1]);
	work += makingWork(id);
	if (carriesValues(id))
		work += size / valueBytesPerUnit;
	const std::size_t code = codeOffset(id, packet, size);
	if (code != 0 && code < size)
		work += scriptBuild + (size - code) / codeBytesPerUnit;
	return saturate(work);
}

} // namespace net
} // namespace orv
