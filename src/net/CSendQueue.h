#pragma once
// The outgoing half of the connection: frames wait here until a flush joins
// them into blocks, compresses and scrambles each, and hands them to the
// socket. Whatever the socket does not take waits for the next flush, up to
// a bound past which the server is taken to be gone.

#include <deque>
#include <memory>
#include <vector>

#include <irrTypes.h>

#include "base/packet.h"
#include "net/CPacketCipher.h"
#include "net/EPacketCompression.h"

namespace irr {
class ILogger;
}

namespace orv {
namespace platform {
class CParallelJobs;
}
namespace net {

class ISocket;

class CSendQueue
{
public:
	// A frame this large goes out alone in its own block.
	static const irr::u32 MaxJoinedSize = 0xF000;
	// Joining stops once the block holds this much.
	static const irr::u32 JoinUntilSize = 0xC000;
	// Blocks up to this size are not worth compressing.
	static const irr::u32 MaxUncompressedSize = 0x37;
	// Above this, bzip2 pays for itself.
	static const irr::u32 MaxZlibSize = 0x2000;
	// The 16-bit length counts the type byte too.
	static const irr::u32 MaxPayloadSize = 0xFFFE;
	// Threads that compress further blocks of one flush beside the caller;
	// bzip2 takes milliseconds a block.
	static const unsigned MaxHelpers = 3;
	// What may wait to be sent, frames (with their records) and blocks
	// together: seconds of a busy world's changes. A server that lets more
	// wait reads nothing (its window is full) or less than the game sends,
	// and the queue would grow for as long as the game runs.
	static constexpr irr::u32 MaxHeldBytes = 64u << 20;

	CSendQueue();
	~CSendQueue();
	CSendQueue(const CSendQueue&) = delete;
	CSendQueue& operator=(const CSendQueue&) = delete;

	// Not owned. Frames queue up while there is none or it is disconnected.
	void setSocket(ISocket* value) { socket = value; }
	ISocket* getSocket() const { return socket; }

	// Where a dropped block is reported (channel "net"); may be null.
	void setLogger(irr::ILogger* value) { logger = value; }

	// Queues every whole frame of `frames`, from its read position on.
	void push(packet frames);
	// Queues the payload as one frame (makeFrame's). The engine sends a
	// packet for every moving object every frame: this one is not cut again.
	void pushPayload(const packet& payload);
	// A frame that would pass MaxHeldBytes is not queued: the connection is
	// treated as lost (the socket is destroyed, which the engine's network
	// step sees), and everything that waited is dropped, with one "net" line.

	// Forms a block behind whatever was still waiting and offers it all to
	// the socket; then block after block while frames wait and the socket
	// took every byte. What it does not take ends the flush, and the frames
	// behind it stay queued.
	void flush();

	// Offers the waiting bytes to the socket and forgets those it took.
	void sendBuffer();

	// True while frames or unsent bytes wait.
	bool hasPending() const { return !frames.empty() || !buffer.isEmpty(); }

	// What waits, as MaxHeldBytes counts it.
	size_t getHeldBytes() const { return frameBytes + buffer.getSize(); }

	// Forgets every queued frame and unsent byte (a new connection starts clean).
	void clear();

	// Starts the outgoing keystream again with a new key, switched on.
	void resetCipher(irr::u8 key);

	CPacketCipher& getCipher() { return cipher; }
	const std::deque<packet>& getFrames() const { return frames; }
	const packet& getSendBuffer() const { return buffer; }

private:
	struct SBlock;

	// Whether the frame may join the queue; past the bound, gives the
	// connection up.
	bool admit(const packet& frame);
	void queue(packet frame);
	packet takeFront();

	packet takeBlock();
	// As many blocks as there are threads to compress them, compressed.
	std::vector<SBlock> takeBlocks();
	// The frames of blocks[first] on go back to the front of the queue.
	void putBack(std::vector<SBlock>& blocks, size_t first);
	// Scrambles and frames one block into the send buffer; false when it was
	// too large for its length field (logged and dropped).
	bool appendBlock(SBlock& block);

	ISocket* socket;
	std::deque<packet> frames;
	// The queued frames' bytes and their records.
	size_t frameBytes = 0;
	packet buffer;
	CPacketCipher cipher;
	irr::ILogger* logger;
	// Started when a flush first forms more than one block.
	std::unique_ptr<platform::CParallelJobs> jobs;
};

} // namespace net
} // namespace orv
