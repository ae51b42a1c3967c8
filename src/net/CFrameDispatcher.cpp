#include "net/CFrameDispatcher.h"

#include "net/CServerHoldings.h"
#include "net/decodeBlock.h"

namespace orv {
namespace net {

bool CFrameDispatcher::decodeBlock(const irr::u8* block, std::size_t size, packet& decoded)
{
	return decodeBlockInto(Cipher, block, static_cast<irr::u32>(size), Payload, decoded, Logger);
}

irr::u32 CFrameDispatcher::dispatchFrame(const irr::u8* frame, std::size_t size)
{
	// One packet for every frame of the stream: its room is kept, and a handler that takes the
	// bytes away leaves it empty for the next.
	Frame.clear();
	Frame.appendBytes(frame, static_cast<irr::u32>(size));
	Frame.setReadPosition(0);
	Parsers.dispatch(Frame);
	return Holdings ? Holdings->takeWork() : 0;
}

void CFrameDispatcher::reportStreamError(const char* message)
{
	if (Logger)
		Logger->log("net", message, irr::ELL_ERROR);
}

} // namespace net
} // namespace orv
