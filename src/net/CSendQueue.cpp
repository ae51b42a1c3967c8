#include "net/CSendQueue.h"

#include <cstdio>

#include <ILogger.h>

#include "net/ISocket.h"
#include "net/compression.h"

namespace orv {
namespace net {

namespace {

// The frame format allows length fields of 0 to 4 bytes.
const irr::u8 maxFrameWidth = 4;

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

} // namespace

CSendQueue::CSendQueue() : socket(nullptr), logger(nullptr)
{
}

void CSendQueue::push(packet frames)
{
	while (frames.getBytesLeft() > 0)
	{
		const irr::u32 start = frames.getReadPosition();
		const irr::u8 width = frames.readU8();
		if (width > maxFrameWidth)
			return;
		if (frames.getBytesLeft() < width)
			return;
		const irr::u64 length = frames.readInt(width);
		// A frame cut short would make the server read our next frames as
		// its body; it never leaves.
		if (length > frames.getBytesLeft())
			return;
		const irr::u32 end = frames.getReadPosition() + static_cast<irr::u32>(length);
		this->frames.push_back(packet::fromBytes(frames.getData() + start, frames.getData() + end));
		frames.setReadPosition(end);
	}
}

packet CSendQueue::takeBlock()
{
	packet block;
	if (!frames.empty() && frames.front().getSize() > MaxJoinedSize)
	{
		block = std::move(frames.front());
		frames.pop_front();
	}
	while (block.getSize() < JoinUntilSize && !frames.empty())
	{
		if (block.getSize() + frames.front().getSize() > MaxJoinedSize)
			break;
		block.append(std::move(frames.front()));
		frames.pop_front();
	}
	return block;
}

void CSendQueue::flush()
{
	if (!socket || socket->getState() == ESS_DISCONNECTED)
		return;

	// Block after block while frames wait and the socket keeps up: one block
	// a step would fall behind for good once a frame queues more than a block.
	do
	{
		packet block = takeBlock();
		if (block.isEmpty() || cipher.generation != 0)
		{
			if (!buffer.isEmpty())
				sendBuffer();
			return;
		}
		if (appendBlock(std::move(block)) || !buffer.isEmpty())
			sendBuffer();
	} while (!frames.empty() && buffer.isEmpty());
}

bool CSendQueue::appendBlock(packet block)
{
	irr::u8 type = compressionForSize(block.getSize());
	if (type != EPC_NONE)
	{
		// A result that does not fit a block is no better than a failure:
		// the plain frames may still fit.
		packet compressed = block;
		if (compress(type, compressed) && compressed.getSize() <= MaxPayloadSize)
			block = std::move(compressed);
		else
			type = EPC_NONE;
	}
	if (block.getSize() > MaxPayloadSize)
	{
		if (logger)
		{
			char message[128];
			std::snprintf(message, sizeof(message),
				"Dropped an outgoing block of %u bytes: a block carries at most %u.",
				block.getSize(), MaxPayloadSize);
			logger->log("net", message, irr::ELL_ERROR);
		}
		return false;
	}

	cipher.setWordsForCompression(type);
	packet payload = cipher.applyCopy(std::move(block));
	const irr::u32 length = payload.getSize() + 1;
	buffer.append(packet::fromU8(static_cast<irr::u8>((length >> 8) & 0xFF)));
	buffer.append(packet::fromU8(static_cast<irr::u8>(length & 0xFF)));
	buffer.append(packet::fromU8(type));
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
	buffer.clear();
}

} // namespace net
} // namespace orv
