#pragma once

#include "net/CParserSlot.h"
#include "net/CPacketCipher.h"
#include "net/CReceiveStream.h"

#include <ILogger.h>

namespace orv {
namespace net {

//! The client's side of the receive stream: blocks through the incoming cipher and decompression,
//! frames to whatever parser is current when each frame comes up.
class CFrameDispatcher : public IReceiveSink
{
public:
	CFrameDispatcher(CPacketCipher& cipher, CParserSlot& parsers, irr::ILogger* logger)
		: Cipher(cipher)
		, Parsers(parsers)
		, Logger(logger)
	{
	}

	bool decodeBlock(const irr::u8* block, std::size_t size, packet& decoded) override;
	void dispatchFrame(const irr::u8* frame, std::size_t size) override;
	void reportStreamError(const char* message) override;

private:
	CPacketCipher& Cipher;
	CParserSlot& Parsers;
	irr::ILogger* Logger;
	packet Payload;
	packet Frame;
};

} // namespace net
} // namespace orv
