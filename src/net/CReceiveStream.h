#pragma once

#include "base/packet.h"
#include "net/ReceiveWork.h"

#include <cstddef>

namespace orv {
namespace net {

//! What the receive stream hands its blocks and frames to.
class IReceiveSink
{
public:
	virtual ~IReceiveSink() = default;

	//! Decodes one block (compression byte and payload, \p size bytes) and appends the result to
	//! \p decoded. False when the block yields nothing; \p decoded must then be left as it was.
	virtual bool decodeBlock(const irr::u8* block, std::size_t size, packet& decoded) = 0;

	//! One complete frame's packet bytes; answers the work it cost beyond what frameWork foresaw.
	virtual irr::u32 dispatchFrame(const irr::u8* frame, std::size_t size) = 0;

	//! What dispatching the frame will cost, in the units of SReceiveBudget::work.
	virtual irr::u32 frameWork(const irr::u8* frame, std::size_t size) { return packetWork(frame, size); }

	//! Whether a dispatch left work that spreads over passes (a downloaded file being written).
	//! While it does, no later frame is dispatched: its effects come first.
	virtual bool isBusy() const { return false; }
	//! Carries that work on with up to \p work units; answers the units spent.
	virtual irr::u32 carryOn(irr::u32 work) { return 0; }

	//! The decoded bytes broke the frame format and were dropped.
	virtual void reportStreamError(const char* message) = 0;
};

//! Cuts the received bytes into blocks and the decoded bytes into frames.
/** Works on two buffers that outlive it: the received bytes not yet cut into blocks, and the decoded
    bytes not yet cut into frames. A block waits whole in the first, a frame waits from its width byte
    on in the second. Between passes the decoded bytes' read position marks where the live bytes
    begin; consumed bytes are moved only when they outweigh the live ones and the received bytes lose
    their consumed front once per pass, so a pass costs time linear in the bytes it handles. */
class CReceiveStream
{
public:
	//! A pending frame may announce no more than this; beyond it the decoded bytes are dropped.
	static const irr::u32 MaxFrameLength = 16u << 20;

	CReceiveStream(packet& received, packet& decoded) : Received(received), Decoded(decoded) {}

	//! Adds bytes as they came from the socket.
	void append(const irr::u8* data, std::size_t size);

	//! Carries on what the sink left unfinished, dispatches the complete frames that wait, then
	//! cuts complete blocks, has each decoded and dispatches its complete frames, while the budget
	//! lasts and the sink is not busy.
	/** When a dispatch changes either buffer behind the stream's back (a handler that starts a
        clean connection), the pass ends at once. */
	SReceiveWork process(IReceiveSink& sink, const SReceiveBudget& budget = SReceiveBudget::unbounded());

	//! Whether a pass would find anything to do: a complete block, or a complete (or broken) frame.
	bool hasWork() const;

	//! Received bytes not yet cut into blocks.
	irr::u32 getReceivedSize() const { return Received.getBytesLeft(); }

	//! Decoded bytes not yet cut into frames.
	irr::u32 getDecodedSize() const { return Decoded.getBytesLeft(); }

private:
	enum EPass
	{
		EP_GO_ON,
		//! The budget is spent.
		EP_SPENT,
		//! The buffers changed under a dispatch.
		EP_CHANGED
	};

	EPass cutFrames(IReceiveSink& sink, const SReceiveBudget& budget, SReceiveWork& done, irr::u32 receivedSize);
	//! Gives the sink's unfinished work what is left of the budget; true while some remains.
	static bool carryOn(IReceiveSink& sink, const SReceiveBudget& budget, SReceiveWork& done);

	packet& Received;
	packet& Decoded;
};

} // namespace net
} // namespace orv
