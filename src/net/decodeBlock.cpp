#include "net/decodeBlock.h"

#include "net/compression.h"

namespace orv
{
namespace net
{

bool decodeBlock(CPacketCipher& cipher, packet& block, irr::ILogger* logger)
{
    if (cipher.generation != 0)
        return true;

    const irr::u8 type = block.readU8();
    block.removeFront(1);
    cipher.setWordsForCompression(type);
    cipher.apply(block);
    switch (type)
    {
    case 0:
        return true;
    case 2:
        return decompressZlib(block);
    case 4:
        return decompressBzip2(block);
    default:
        if (logger)
            logger->log("net", "Client gave incorrect packet compression type!", irr::ELL_ERROR);
        return false;
    }
}

} // namespace net
} // namespace orv
