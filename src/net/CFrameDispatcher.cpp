#include "net/CFrameDispatcher.h"

#include "net/decodeBlock.h"

namespace orv
{
namespace net
{

bool CFrameDispatcher::decodeBlock(const irr::u8* block, std::size_t size, packet& decoded)
{
    packet bytes = packet::fromBytes(block, block + size);
    if (!net::decodeBlock(Cipher, bytes, Logger))
        return false;
    decoded.appendBytes(bytes.getData(), bytes.getSize());
    return true;
}

void CFrameDispatcher::dispatchFrame(const irr::u8* frame, std::size_t size)
{
    packet bytes = packet::fromBytes(frame, frame + size);
    Parsers.dispatch(bytes);
}

void CFrameDispatcher::reportStreamError(const char* message)
{
    if (Logger)
        Logger->log("net", message, irr::ELL_ERROR);
}

} // namespace net
} // namespace orv
