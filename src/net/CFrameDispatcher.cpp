#include "net/CFrameDispatcher.h"

#include "net/CFileTransfers.h"
#include "net/CServerHoldings.h"
#include "net/DownloadName.h"
#include "net/decodeBlock.h"

#include <algorithm>
#include <string>

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

bool CFrameDispatcher::isBusy() const
{
	return Transfers && Transfers->isWriting();
}

irr::u32 CFrameDispatcher::carryOn(irr::u32 work)
{
	if (!isBusy())
		return 0;
	const std::size_t piece = std::min(writableBytes(work), Transfers->getBytesToWrite());
	const std::string path = Transfers->getWritingPath();
	if (Transfers->write(piece) == EFTR_WRITE_FAILED && Logger)
		Logger->log(
			"net", ("Could not write the downloaded file " + printableName(path) + ".").c_str(), irr::ELL_ERROR);
	return writeWork(piece);
}

void CFrameDispatcher::reportStreamError(const char* message)
{
	if (Logger)
		Logger->log("net", message, irr::ELL_ERROR);
}

} // namespace net
} // namespace orv
