#include "net/CSendQueue.h"

#include <cstdio>
#include <iterator>
#include <new>
#include <string>

#include <ILogger.h>

#include "base/Refusal.h"
#include "net/ISocket.h"
#include "net/LoginPacket.h"
#include "net/compression.h"
#include "platform/CParallelJobs.h"

namespace orv {
namespace net {

namespace {

// The frame format allows length fields of 0 to 4 bytes.
const irr::u8 maxFrameWidth = 4;

// What a queued frame holds: its bytes and its record in the queue.
size_t heldBy(const packet& frame)
{
	return sizeof(packet) + frame.getSize();
}

bool compress(irr::u8 type, packet& data)
{
	if (type == EPC_BZIP2)
		return compressBzip2(data);
	return compressZlib(data);
}

irr::u8 compressionForSize(irr::u32 size)
{
	if (size > CSendQueue::MaxZlibSize)
		return EPC_BZIP2;
	if (size > CSendQueue::MaxUncompressedSize)
		return EPC_ZLIB;
	return EPC_NONE;
}

// Whole frames of `bytes` from its read position on, each one packet, in order.
template <typename Add> void cutFrames(packet& bytes, Add add)
{
	while (bytes.getBytesLeft() > 0)
	{
		const irr::u32 start = bytes.getReadPosition();
		const irr::u8 width = bytes.readU8();
		if (width > maxFrameWidth)
			return;
		if (bytes.getBytesLeft() < width)
			return;
		const irr::u64 length = bytes.readInt(width);
		// A frame cut short would make the server read our next frames as
		// its body; it never leaves.
		if (length > bytes.getBytesLeft())
			return;
		const irr::u32 end = bytes.getReadPosition() + static_cast<irr::u32>(length);
		add(packet::fromBytes(bytes.getData() + start, bytes.getData() + end));
		bytes.setReadPosition(end);
	}
}

} // namespace

struct CSendQueue::SBlock
{
	// The joined frames, plain.
	packet frames;
	// Their compressed form, when the size calls for it and it fits a block.
	packet compressed;
	irr::u8 type = EPC_NONE;

	// Runs on any thread: touches nothing but the block.
	void compress()
	{
		type = compressionForSize(frames.getSize());
		if (type == EPC_NONE)
			return;
		// A result that does not fit a block is no better than a failure:
		// the plain frames may still fit.
		bool fits = false;
		try
		{
			compressed = frames;
			fits = orv::net::compress(type, compressed) && compressed.getSize() <= MaxPayloadSize;
		}
		catch (const std::bad_alloc&)
		{
		}
		if (!fits)
		{
			type = EPC_NONE;
			compressed.clear();
		}
	}
};

CSendQueue::CSendQueue() : socket(nullptr), logger(nullptr)
{
}

CSendQueue::~CSendQueue() = default;

void CSendQueue::push(packet bytes)
{
	cutFrames(bytes, [this](packet frame) { queue(std::move(frame)); });
}

void CSendQueue::pushPayload(const packet& payload)
{
	queue(makeFrame(payload));
}

bool CSendQueue::admit(const packet& frame)
{
	if (getHeldBytes() + heldBy(frame) <= MaxHeldBytes)
		return true;
	reportRefusalOnce("net", "net: send queue",
		"More than " + std::to_string(MaxHeldBytes >> 20) +
			" MiB waited to be sent to the server: the connection is treated as lost and what waited is dropped.");
	if (socket && socket->getState() != ESS_DISCONNECTED)
		socket->destroy();
	clear();
	return false;
}

void CSendQueue::queue(packet frame)
{
	if (!admit(frame))
		return;
	frameBytes += heldBy(frame);
	frames.push_back(std::move(frame));
}

packet CSendQueue::takeFront()
{
	packet frame = std::move(frames.front());
	frames.pop_front();
	frameBytes -= heldBy(frame);
	return frame;
}

packet CSendQueue::takeBlock()
{
	packet block;
	if (!frames.empty() && frames.front().getSize() > MaxJoinedSize)
		block = takeFront();
	while (block.getSize() < JoinUntilSize && !frames.empty())
	{
		if (block.getSize() + frames.front().getSize() > MaxJoinedSize)
			break;
		block.append(takeFront());
	}
	return block;
}

std::vector<CSendQueue::SBlock> CSendQueue::takeBlocks()
{
	std::vector<SBlock> blocks;
	// More than one only when the frames fill more than one: each further
	// block has a helper of its own.
	const size_t most = 1 + (jobs ? jobs->getHelperCount() : platform::CParallelJobs::suggestedHelpers(MaxHelpers));
	while (blocks.size() < most)
	{
		packet joined = takeBlock();
		if (joined.isEmpty())
			break;
		blocks.emplace_back();
		blocks.back().frames = std::move(joined);
	}
	if (blocks.size() > 1 && !jobs)
		jobs.reset(new platform::CParallelJobs(platform::CParallelJobs::suggestedHelpers(MaxHelpers)));
	if (blocks.size() > 1)
		jobs->run(static_cast<unsigned>(blocks.size()), [&blocks](unsigned i) { blocks[i].compress(); });
	else if (!blocks.empty())
		blocks.front().compress();
	return blocks;
}

void CSendQueue::putBack(std::vector<SBlock>& blocks, size_t first)
{
	std::deque<packet> waiting;
	for (size_t i = first; i < blocks.size(); ++i)
		cutFrames(blocks[i].frames, [this, &waiting](packet frame) {
			frameBytes += heldBy(frame);
			waiting.push_back(std::move(frame));
		});
	frames.insert(frames.begin(), std::make_move_iterator(waiting.begin()), std::make_move_iterator(waiting.end()));
}

void CSendQueue::flush()
{
	if (!socket || socket->getState() == ESS_DISCONNECTED)
		return;
	if (cipher.generation != 0)
	{
		// Switched off, the cipher lets no block out: the frames of one go.
		takeBlock();
		if (!buffer.isEmpty())
			sendBuffer();
		return;
	}

	// Block after block while frames wait and the socket keeps up: one block
	// a step would fall behind for good once a frame queues more than a block.
	// Blocks are formed ahead, compressed side by side and sent in order; those
	// the socket was not ready for turn back into the frames they were.
	bool first = true;
	while (first || (!frames.empty() && buffer.isEmpty()))
	{
		std::vector<SBlock> blocks = takeBlocks();
		if (blocks.empty())
		{
			if (!buffer.isEmpty())
				sendBuffer();
			return;
		}
		size_t sent = 0;
		for (; sent < blocks.size(); ++sent)
		{
			if (!first && !buffer.isEmpty())
				break;
			first = false;
			if (appendBlock(blocks[sent]) || !buffer.isEmpty())
				sendBuffer();
		}
		if (sent < blocks.size())
		{
			putBack(blocks, sent);
			return;
		}
	}
}

bool CSendQueue::appendBlock(SBlock& block)
{
	packet& bytes = block.type == EPC_NONE ? block.frames : block.compressed;
	if (bytes.getSize() > MaxPayloadSize)
	{
		if (logger)
		{
			char message[128];
			std::snprintf(message, sizeof(message),
				"Dropped an outgoing block of %u bytes: a block carries at most %u.", bytes.getSize(), MaxPayloadSize);
			logger->log("net", message, irr::ELL_ERROR);
		}
		return false;
	}

	cipher.setWordsForCompression(block.type);
	packet payload = cipher.applyCopy(std::move(bytes));
	const irr::u32 length = payload.getSize() + 1;
	buffer.append(packet::fromU8(static_cast<irr::u8>((length >> 8) & 0xFF)));
	buffer.append(packet::fromU8(static_cast<irr::u8>(length & 0xFF)));
	buffer.append(packet::fromU8(block.type));
	buffer.append(std::move(payload));
	return true;
}

void CSendQueue::sendBuffer()
{
	if (!socket)
		return;
	const irr::s32 sent = socket->send(buffer);
	if (sent > 0)
		buffer.removeFront(static_cast<irr::u32>(sent));
	buffer.setReadPosition(0);
}

void CSendQueue::resetCipher(irr::u8 key)
{
	cipher.generation = 0;
	cipher.reset(key);
}

void CSendQueue::clear()
{
	frames.clear();
	frameBytes = 0;
	buffer.clear();
}

} // namespace net
} // namespace orv
