#include "net/decodeBlock.h"

#include "net/compression.h"

namespace orv {
namespace net {

bool decodeBlockInto(
	CPacketCipher& cipher, const irr::u8* block, irr::u32 size, packet& scratch, packet& out, irr::ILogger* logger)
{
	if (cipher.generation != 0)
	{
		out.appendBytes(block, size);
		return true;
	}

	const irr::u8 type = size != 0 ? block[0] : 0;
	const irr::u8* payload = size != 0 ? block + 1 : block;
	const irr::u32 length = size != 0 ? size - 1 : 0;
	cipher.setWordsForCompression(type);
	if (type == 0)
	{
		// Plain frames are descrambled where they land.
		const irr::u32 before = out.getSize();
		out.appendBytes(payload, length);
		cipher.apply(out.getData() + before, length);
		return true;
	}
	scratch.clear();
	scratch.appendBytes(payload, length);
	cipher.apply(scratch);
	switch (type)
	{
	case 2:
		return decompressZlibInto(scratch.getData(), scratch.getSize(), out);
	case 4:
		return decompressBzip2Into(scratch.getData(), scratch.getSize(), out);
	default:
		if (logger)
			logger->log("net", "Client gave incorrect packet compression type!", irr::ELL_ERROR);
		return false;
	}
}

bool decodeBlock(CPacketCipher& cipher, packet& block, irr::ILogger* logger)
{
	packet scratch, decoded;
	if (!decodeBlockInto(cipher, block.getData(), block.getSize(), scratch, decoded, logger))
		return false;
	block = std::move(decoded);
	return true;
}

} // namespace net
} // namespace orv
