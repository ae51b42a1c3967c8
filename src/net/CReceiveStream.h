#pragma once

#include "base/packet.h"

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

	//! One complete frame's packet bytes.
	virtual void dispatchFrame(const irr::u8* frame, std::size_t size) = 0;

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

	//! Cuts every complete block, has it decoded and dispatches every complete frame.
	/** When a dispatch changes either buffer behind the stream's back (a handler that starts a
        clean connection), the pass ends at once. */
	void process(IReceiveSink& sink);

	//! Received bytes not yet cut into blocks.
	irr::u32 getReceivedSize() const { return Received.getBytesLeft(); }

	//! Decoded bytes not yet cut into frames.
	irr::u32 getDecodedSize() const { return Decoded.getBytesLeft(); }

private:
	//! False when the buffers changed under a dispatch.
	bool cutFrames(IReceiveSink& sink, irr::u32 receivedSize);

	packet& Received;
	packet& Decoded;
};

} // namespace net
} // namespace orv
