// The send queue on a scripted socket: which frames travel together, how each
// block is compressed, and what waits when the socket cannot take it all.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/Refusal.h"
#include "net/CPacketCipher.h"
#include "net/CSendQueue.h"
#include "net/ISocket.h"
#include "net/LoginPacket.h"
#include "net/compression.h"
#include "support/CFakeSocket.h"
#include "support/CRecordingLogger.h"
#include "support/SentBlocks.h"

using orv::net::CPacketCipher;
using orv::net::CSendQueue;
using orv::net::packet;
using orv::test::CFakeSocket;

namespace {

// A frame of exactly `size` bytes, header included, its body random or repetitive.
packet frameOfSize(irr::u32 size, bool random, irr::u32 seed = 1)
{
	const irr::u8 width = size - 2 <= 0xFF ? 1 : (size - 3 <= 0xFFFF ? 2 : 3);
	const irr::u32 body = size - 1 - width;
	packet frame = packet::fromU8(width);
	frame.append(packet::fromInt(width, body));
	std::vector<irr::u8> bytes(body);
	std::mt19937 generator(seed);
	for (irr::u32 i = 0; i < body; ++i)
		bytes[i] = random ? irr::u8(generator()) : irr::u8(i % 7);
	frame.appendBytes(bytes.data(), body);
	return frame;
}

std::string bytesOf(const packet& p)
{
	return std::string(reinterpret_cast<const char*>(p.getData()), p.getSize());
}

// The wire bytes of a flush that forms at most one block a call, called until
// no frame is left: frames joined in order while the block holds less than
// 0xC000 and the next fits within 0xF000 (one larger frame alone), plain up to
// 55 bytes, zlib up to 8,192, bzip2 above, the head scrambled, the length and
// type in front.
std::string oneBlockAtATime(std::vector<packet> frames)
{
	CPacketCipher cipher;
	std::string wire;
	size_t next = 0;
	while (next < frames.size())
	{
		packet block;
		if (frames[next].getSize() > 0xF000)
			block.append(frames[next++]);
		while (block.getSize() < 0xC000 && next < frames.size() && block.getSize() + frames[next].getSize() <= 0xF000)
			block.append(frames[next++]);
		irr::u8 type = 0;
		if (block.getSize() > 0x2000)
			type = orv::net::compressBzip2(block) ? 4 : 0;
		else if (block.getSize() > 0x37)
			type = orv::net::compressZlib(block) ? 2 : 0;
		cipher.setWordsForCompression(type);
		const packet payload = cipher.applyCopy(block);
		const irr::u32 length = payload.getSize() + 1;
		wire += char(length >> 8);
		wire += char(length & 0xFF);
		wire += char(type);
		wire += bytesOf(payload);
	}
	return wire;
}

// What waits in the queue, counted afresh: each frame with its record, and the unsent bytes.
size_t heldIn(const CSendQueue& queue)
{
	size_t held = queue.getSendBuffer().getSize();
	for (const packet& frame : queue.getFrames())
		held += sizeof(packet) + frame.getSize();
	return held;
}

struct CQueueFixture
{
	CFakeSocket socket;
	CSendQueue queue;
	CPacketCipher serverCipher;
	CQueueFixture() { queue.setSocket(&socket); }
};

} // namespace

TEST(SendQueue, PushKeepsWholeFramesOnly)
{
	struct Case
	{
		const char* name;
		std::vector<irr::u8> pushed;
		std::vector<std::string> queued;
	} cases[] = {
		{"two frames", {1, 2, 'a', 'b', 1, 1, 'c'},
			{std::string("\x01\x02"
						 "ab"),
				std::string("\x01\x01"
							"c")}},
		{"width 0 is an empty frame", {0, 1, 1, 'x'}, {std::string("\x00", 1), std::string("\x01\x01x")}},
		{"width 2", {2, 0, 3, 'a', 'b', 'c'},
			{std::string("\x02\x00\x03"
						 "abc",
				6)}},
		{"width above 4 drops the rest", {1, 1, 'a', 5, 1, 1, 1, 1, 1, 'b'},
			{std::string("\x01\x01"
						 "a")}},
		{"a frame cut short is not queued", {1, 1, 'a', 1, 9, 'b'},
			{std::string("\x01\x01"
						 "a")}},
		{"a length field cut short", {1, 1, 'a', 3, 0},
			{std::string("\x01\x01"
						 "a")}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CSendQueue queue;
		queue.push(packet::fromBytes(c.pushed.data(), c.pushed.data() + c.pushed.size()));
		std::vector<std::string> queued;
		for (const packet& frame : queue.getFrames())
			queued.push_back(bytesOf(frame));
		EXPECT_EQ(c.queued, queued);
	}
}

// The engine's packets skip the cutting: each must queue as the one frame
// that pushing its frame queues, whatever width its length takes.
TEST(SendQueue, PushPayloadQueuesWhatPushingItsFrameQueues)
{
	struct Case
	{
		const char* name;
		irr::u32 size;
	} cases[] = {
		{"empty", 0},
		{"one byte", 1},
		{"the largest of width 1", 0xFF},
		{"the smallest of width 2", 0x100},
		{"the largest of width 2", 0xFFFF},
		{"width 3", 0x10000},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		std::vector<irr::u8> bytes(c.size);
		for (irr::u32 i = 0; i < c.size; ++i)
			bytes[i] = irr::u8(i * 31 + 7);
		const packet payload = packet::fromBytes(bytes.data(), bytes.data() + bytes.size());
		CSendQueue direct;
		direct.pushPayload(payload);
		CSendQueue cut;
		cut.push(orv::net::makeFrame(payload));
		ASSERT_EQ(direct.getFrames().size(), 1u);
		ASSERT_EQ(cut.getFrames().size(), 1u);
		EXPECT_EQ(bytesOf(direct.getFrames().front()), bytesOf(cut.getFrames().front()));
		EXPECT_EQ(direct.getFrames().front().getSize(), c.size + 1 + (c.size > 0xFFFF ? 3 : c.size > 0xFF ? 2 : 1));
	}
}

TEST(SendQueue, FlushJoinsFramesUpToTheBlockLimit)
{
	struct Case
	{
		const char* name;
		std::vector<irr::u32> frames;
		// Per flush, the joined (decompressed) size of the block it sends.
		std::vector<irr::u32> blocks;
	} cases[] = {
		{"three 30,000-byte frames", {30000, 30000, 30000}, {60000, 30000}},
		{"a frame over 0xF000 goes alone", {100, 70000, 100}, {100, 70000, 100}},
		{"nothing joins a frame over 0xF000", {70000, 100}, {70000, 100}},
		{"joining stops at 0xC000", {50000, 5000, 100}, {50000, 5100}},
		{"exactly 0xF000 joins", {40000, 21440}, {61440}},
		{"one byte more waits", {40000, 21441}, {40000, 21441}},
		{"small frames join in order", {10, 20, 30}, {60}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CQueueFixture f;
		std::string expectedJoined;
		irr::u32 seed = 1;
		for (irr::u32 size : c.frames)
		{
			const packet frame = frameOfSize(size, false, seed++);
			expectedJoined += bytesOf(frame);
			f.queue.push(frame);
		}
		for (size_t i = 0; i < c.blocks.size(); ++i)
			f.queue.flush();
		EXPECT_TRUE(f.queue.getFrames().empty());
		EXPECT_TRUE(f.queue.getSendBuffer().isEmpty());

		const std::vector<orv::test::SSentBlock> blocks = orv::test::decodeSentBlocks(
			f.socket.received, f.serverCipher);
		ASSERT_EQ(c.blocks.size(), blocks.size());
		std::string joined;
		for (size_t i = 0; i < blocks.size(); ++i)
		{
			EXPECT_EQ(c.blocks[i], blocks[i].bytes.size()) << "block " << i;
			joined += blocks[i].bytes;
		}
		EXPECT_TRUE(joined == expectedJoined) << "frames changed or reordered";
	}
}

TEST(SendQueue, CompressionFollowsTheJoinedSize)
{
	struct Case
	{
		irr::u32 size;
		bool random;
		int type; // -1: dropped
	} cases[] = {
		{3, false, 0},
		{55, false, 0},
		{56, false, 2},
		{8192, false, 2},
		{8193, false, 4},
		{61440, true, 4},
		// bzip2 cannot make random bytes fit its output buffer: they go plain.
		{65000, true, 0},
		{65534, true, 0},
		{65535, true, -1},
		{70000, true, -1},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.size);
		CQueueFixture f;
		orv::test::CRecordingLogger logger;
		f.queue.setLogger(&logger);
		const packet frame = frameOfSize(c.size, c.random);
		f.queue.push(frame);
		testing::internal::CaptureStdout();
		f.queue.flush();
		EXPECT_EQ("", testing::internal::GetCapturedStdout()) << "compressors print nothing";
		EXPECT_TRUE(f.queue.getFrames().empty());

		if (c.type < 0)
		{
			EXPECT_EQ("", f.socket.received);
			ASSERT_EQ(1u, logger.lines.size());
			EXPECT_EQ("net", logger.lines[0].text);
			EXPECT_EQ(irr::ELL_ERROR, logger.lines[0].level);
			EXPECT_NE(std::string::npos, logger.lines[0].hint.find(std::to_string(c.size))) << logger.lines[0].hint;
			continue;
		}
		EXPECT_TRUE(logger.lines.empty());
		ASSERT_GE(f.socket.received.size(), 3u);
		EXPECT_EQ(c.type, irr::u8(f.socket.received[2]));
		const irr::u32 length = (irr::u8(f.socket.received[0]) << 8) | irr::u8(f.socket.received[1]);
		EXPECT_EQ(f.socket.received.size() - 2, length) << "length counts type byte and payload";
		const std::vector<orv::test::SSentBlock> blocks = orv::test::decodeSentBlocks(
			f.socket.received, f.serverCipher);
		ASSERT_EQ(1u, blocks.size());
		EXPECT_TRUE(blocks[0].bytes == bytesOf(frame));
	}
}

TEST(SendQueue, UncompressedBlockIsScrambledOverItsFirst48Bytes)
{
	CQueueFixture f;
	const packet frame = frameOfSize(55, false);
	f.queue.push(frame);
	f.queue.flush();
	ASSERT_EQ(58u, f.socket.received.size());
	EXPECT_EQ(std::string("\x00\x38\x00", 3), f.socket.received.substr(0, 3));
	EXPECT_EQ(bytesOf(frame).substr(48), f.socket.received.substr(3 + 48)) << "bytes past the scrambled head are plain";
	EXPECT_NE(bytesOf(frame).substr(0, 48), f.socket.received.substr(3, 48));
}

TEST(SendQueue, PartialSendIsFinishedByTheNextFlush)
{
	CQueueFixture f;
	f.queue.push(frameOfSize(40, false));
	f.socket.takeLimit = 10;
	f.queue.flush();
	EXPECT_EQ(10u, f.socket.received.size());
	EXPECT_EQ(33u, f.queue.getSendBuffer().getSize());
	EXPECT_TRUE(f.queue.hasPending());

	f.queue.push(frameOfSize(20, false, 2));
	f.socket.takeLimit = ~0u;
	f.queue.flush(); // the rest of the first block, then the second behind it
	EXPECT_FALSE(f.queue.hasPending());
	const std::vector<orv::test::SSentBlock> blocks = orv::test::decodeSentBlocks(f.socket.received, f.serverCipher);
	ASSERT_EQ(2u, blocks.size());
	EXPECT_TRUE(blocks[0].bytes == bytesOf(frameOfSize(40, false)));
	EXPECT_TRUE(blocks[1].bytes == bytesOf(frameOfSize(20, false, 2)));
}

TEST(SendQueue, FlushWithoutFramesSendsWhatWaited)
{
	CQueueFixture f;
	f.queue.push(frameOfSize(40, false));
	f.socket.takeLimit = 0;
	f.queue.flush();
	EXPECT_EQ(43u, f.queue.getSendBuffer().getSize());
	f.socket.takeLimit = ~0u;
	f.queue.flush();
	EXPECT_FALSE(f.queue.hasPending());
	EXPECT_EQ(1u, orv::test::decodeSentBlocks(f.socket.received, f.serverCipher).size());
}

TEST(SendQueue, DisconnectedOrMissingSocketKeepsEverything)
{
	for (const bool missing : {false, true})
	{
		SCOPED_TRACE(missing ? "no socket" : "disconnected");
		CQueueFixture f;
		f.queue.push(frameOfSize(40, false));
		f.socket.takeLimit = 5;
		f.queue.flush();
		f.queue.push(frameOfSize(30, false));
		f.socket.state = orv::net::ESS_DISCONNECTED;
		if (missing)
			f.queue.setSocket(nullptr);
		f.queue.flush();
		EXPECT_EQ(5u, f.socket.received.size());
		EXPECT_EQ(38u, f.queue.getSendBuffer().getSize());
		EXPECT_EQ(1u, f.queue.getFrames().size());

		f.queue.setSocket(&f.socket);
		f.socket.state = orv::net::ESS_CONNECTED;
		f.socket.takeLimit = ~0u;
		f.queue.flush();
		EXPECT_FALSE(f.queue.hasPending());
		EXPECT_EQ(2u, orv::test::decodeSentBlocks(f.socket.received, f.serverCipher).size());
	}
}

TEST(SendQueue, ClearForgetsFramesAndUnsentBytes)
{
	CQueueFixture f;
	f.queue.push(frameOfSize(40, false));
	f.socket.takeLimit = 5;
	f.queue.flush();
	f.queue.push(frameOfSize(30, false));
	f.queue.clear();
	EXPECT_FALSE(f.queue.hasPending());
}

TEST(SendQueue, SwitchedOffCipherTakesFramesButSendsOnlyWhatWaited)
{
	CQueueFixture f;
	f.queue.push(frameOfSize(40, false));
	f.socket.takeLimit = 5;
	f.queue.flush();
	f.queue.getCipher().generation = 1;
	f.queue.push(frameOfSize(30, false));
	f.socket.takeLimit = ~0u;
	f.queue.flush();
	EXPECT_FALSE(f.queue.hasPending());
	EXPECT_EQ(1u, orv::test::decodeSentBlocks(f.socket.received, f.serverCipher).size());

	f.queue.resetCipher(0);
	EXPECT_EQ(0u, f.queue.getCipher().generation);
}

TEST(SendQueue, FlushSendsBlockAfterBlockAsTheOneBlockFlushWould)
{
	struct Case
	{
		const char* name;
		// Runs of frames: how many, of what size.
		std::vector<std::pair<irr::u32, irr::u32>> frames;
		// Bytes the socket takes on the first flush; later flushes take all.
		irr::u32 firstTake;
		size_t blocks;
	} cases[] = {
		{"one small frame", {{1, 30}}, ~0u, 1},
		{"small frames making several blocks", {{4000, 37}, {2000, 61}}, ~0u, 6},
		{"a frame above 0xF000 goes alone", {{300, 40}, {1, 62000}, {300, 40}}, ~0u, 3},
		{"the socket takes part of the first block", {{4000, 37}}, 1000, 4},
		{"the socket takes nothing", {{4000, 37}}, 0, 4},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CQueueFixture f;
		std::vector<packet> frames;
		irr::u32 seed = 1;
		for (const auto& run : c.frames)
			for (irr::u32 i = 0; i < run.first; ++i, ++seed)
				frames.push_back(frameOfSize(run.second, seed % 2 == 0, seed)); // every other one random
		for (const packet& frame : frames)
			f.queue.push(frame);
		const std::string expected = oneBlockAtATime(frames);
		CPacketCipher reader;
		const std::vector<orv::test::SSentBlock> expectedBlocks = orv::test::decodeSentBlocks(expected, reader);
		ASSERT_EQ(c.blocks, expectedBlocks.size());

		f.socket.takeLimit = c.firstTake;
		f.queue.flush();
		if (c.firstTake != ~0u)
		{
			EXPECT_EQ(c.firstTake, f.socket.received.size());
			const irr::u32 firstBlock = 3 + ((irr::u8(expected[0]) << 8) | irr::u8(expected[1])) - 1;
			EXPECT_EQ(firstBlock - c.firstTake, f.queue.getSendBuffer().getSize())
				<< "the rest of the first block waits";
			irr::u32 queued = 0;
			for (const packet& frame : f.queue.getFrames())
				queued += frame.getSize();
			EXPECT_EQ(frames.size() * 37 - expectedBlocks[0].bytes.size(), queued) << "the frames behind it wait";
			f.socket.takeLimit = ~0u;
			f.queue.flush();
		}
		EXPECT_FALSE(f.queue.hasPending());
		EXPECT_EQ(expected.size(), f.socket.received.size());
		EXPECT_TRUE(expected == f.socket.received) << "the blocks differ from those of one block a flush";
	}
}

// A server that takes nothing lets the queue grow only to its bound: the frame that would pass it
// gives the connection up (the engine then sees a lost one) and drops what waited, with one line.
TEST(SendQueue, WhatWaitsIsBoundedAndPastTheBoundTheConnectionIsGivenUp)
{
	struct Case
	{
		const char* name;
		orv::net::ESocketState state;
	} cases[] = {
		{"a connected server that reads nothing", orv::net::ESS_CONNECTED},
		{"no connection", orv::net::ESS_DISCONNECTED},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		orv::forgetRefusals();
		CQueueFixture f;
		f.socket.state = c.state;
		f.socket.takeLimit = 0;
		const packet frame = frameOfSize(1000, false);
		size_t pushed = 0;
		while (orv::countRefusals("net: send queue") == 0)
		{
			f.queue.push(frame);
			if (++pushed % 4096 == 0)
				f.queue.flush();
			ASSERT_LE(f.queue.getHeldBytes(), CSendQueue::MaxHeldBytes);
			if (pushed % 4096 == 0 && orv::countRefusals("net: send queue") == 0)
				ASSERT_EQ(f.queue.getHeldBytes(), heldIn(f.queue));
		}
		EXPECT_GE(pushed * 1000, size_t(CSendQueue::MaxHeldBytes) / 2) << "the bound was reached, not met early";
		EXPECT_EQ(f.socket.state, orv::net::ESS_DISCONNECTED);
		EXPECT_FALSE(f.queue.hasPending());
		EXPECT_EQ(f.queue.getHeldBytes(), 0u);
		EXPECT_TRUE(f.socket.received.empty());

		// Frames queue again behind it, as they do for any lost connection.
		f.queue.push(frame);
		EXPECT_EQ(f.queue.getHeldBytes(), heldIn(f.queue));
		EXPECT_EQ(orv::countRefusals("net: send queue"), 1u);
	}
}

// The count of what waits follows every way frames leave and come back: joined into blocks, put
// back when the socket was not ready, sent, dropped by a switched-off cipher, cleared.
TEST(SendQueue, WhatWaitsIsCountedThroughEveryFlush)
{
	CQueueFixture f;
	irr::u32 seed = 1;
	for (int i = 0; i < 3000; ++i, ++seed)
		f.queue.push(frameOfSize(37 + seed % 300, seed % 2 == 0, seed));
	for (const irr::u32 take : {0u, 1000u, 70000u, 0u, ~0u})
	{
		f.socket.takeLimit = take;
		f.queue.flush();
		EXPECT_EQ(f.queue.getHeldBytes(), heldIn(f.queue)) << take;
	}
	EXPECT_EQ(f.queue.getHeldBytes(), 0u);
	f.queue.push(frameOfSize(40, false));
	f.queue.getCipher().generation = 1;
	f.queue.flush();
	EXPECT_EQ(f.queue.getHeldBytes(), heldIn(f.queue));
	f.queue.push(frameOfSize(40, false));
	f.queue.clear();
	EXPECT_EQ(f.queue.getHeldBytes(), 0u);
}
