#pragma once

#include "net/CParserSlot.h"
#include "net/CPacketCipher.h"
#include "net/CReceiveStream.h"

#include <ILogger.h>

namespace orv {

class CFileTransfers;
class CServerHoldings;

namespace net {

//! The client's side of the receive stream: blocks through the incoming cipher and decompression,
//! frames to whatever parser is current when each frame comes up.
class CFrameDispatcher : public IReceiveSink
{
public:
	//! \p holdings, when given, tells what the handlers built beyond what their packets weigh;
	//! \p transfers, when given, has its finished files written over the passes that follow.
	CFrameDispatcher(CPacketCipher& cipher, CParserSlot& parsers, irr::ILogger* logger,
		CServerHoldings* holdings = nullptr, CFileTransfers* transfers = nullptr)
		: Cipher(cipher)
		, Parsers(parsers)
		, Logger(logger)
		, Holdings(holdings)
		, Transfers(transfers)
	{
	}

	bool decodeBlock(const irr::u8* block, std::size_t size, packet& decoded) override;
	irr::u32 dispatchFrame(const irr::u8* frame, std::size_t size) override;
	void reportStreamError(const char* message) override;
	bool isBusy() const override;
	irr::u32 carryOn(irr::u32 work) override;

private:
	CPacketCipher& Cipher;
	CParserSlot& Parsers;
	irr::ILogger* Logger;
	CServerHoldings* Holdings;
	CFileTransfers* Transfers;
	packet Payload;
	packet Frame;
};

} // namespace net
} // namespace orv
