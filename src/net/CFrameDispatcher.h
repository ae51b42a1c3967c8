#pragma once

#include "net/CParserSlot.h"
#include "net/CPacketCipher.h"
#include "net/CReceiveStream.h"

#include <ILogger.h>

namespace orv {

class CServerHoldings;

namespace net {

//! The client's side of the receive stream: blocks through the incoming cipher and decompression,
//! frames to whatever parser is current when each frame comes up.
class CFrameDispatcher : public IReceiveSink
{
public:
	//! \p holdings, when given, tells what the handlers built beyond what their packets weigh.
	CFrameDispatcher(
		CPacketCipher& cipher, CParserSlot& parsers, irr::ILogger* logger, CServerHoldings* holdings = nullptr)
		: Cipher(cipher)
		, Parsers(parsers)
		, Logger(logger)
		, Holdings(holdings)
	{
	}

	bool decodeBlock(const irr::u8* block, std::size_t size, packet& decoded) override;
	irr::u32 dispatchFrame(const irr::u8* frame, std::size_t size) override;
	void reportStreamError(const char* message) override;

private:
	CPacketCipher& Cipher;
	CParserSlot& Parsers;
	irr::ILogger* Logger;
	CServerHoldings* Holdings;
	packet Payload;
	packet Frame;
};

} // namespace net
} // namespace orv
