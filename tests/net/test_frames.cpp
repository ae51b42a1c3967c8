// Cutting the server's stream into blocks and frames: what reaches the parser after each receive.

#include "NetTestSupport.h"
#include "support/CRecordingLogger.h"

#include "net/CFrameDispatcher.h"
#include "net/CReceiveStream.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orv;
using namespace orv::rxtest;
using orv::test::CRecordingLogger;

namespace {

struct Step
{
	Bytes received;
	std::vector<Bytes> dispatched;
};

struct Case
{
	const char* name;
	std::function<std::vector<Step>(CBlockWriter&)> steps;
	const char* errorLine;
};

const Bytes A = {0x00, 0x07, 'a'};
const Bytes B = {0x00, 0x08, 'b', 'b'};

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t to)
{
	return Bytes(bytes.begin() + from, bytes.begin() + std::min(to, bytes.size()));
}

const Case Cases[] = {
	{"partial length waits",
		[](CBlockWriter& w) {
			const Bytes block = w.raw(frame(A));
			return std::vector<Step>{{slice(block, 0, 1), {}}, {slice(block, 1, 99), {A}}};
		},
		nullptr},
	{"partial body completed by the next receive",
		[](CBlockWriter& w) {
			const Bytes block = w.raw(frame(A));
			return std::vector<Step>{{slice(block, 0, 4), {}}, {slice(block, 4, 99), {A}}};
		},
		nullptr},
	{"L = 0 is an empty block",
		[](CBlockWriter& w) {
			return std::vector<Step>{{{0x00, 0x00}, {}}, {w.raw(frame(A)), {A}}};
		},
		nullptr},
	{"L = 1 leaves the keystream where it was",
		[](CBlockWriter& w) {
			return std::vector<Step>{{{0x00, 0x01, 0x00}, {}}, {w.raw(frame(A)), {A}}};
		},
		nullptr},
	{"two frames of one block in order",
		[](CBlockWriter& w) {
			return std::vector<Step>{{w.raw(concat({frame(A), frame(B)})), {A, B}}};
		},
		nullptr},
	{"two blocks of one receive",
		[](CBlockWriter& w) {
			const Bytes first = w.zlibBlock(frame(A));
			return std::vector<Step>{{concat({first, w.bzip2Block(frame(B))}), {A, B}}};
		},
		nullptr},
	{"W = 0 is an empty packet",
		[](CBlockWriter& w) {
			return std::vector<Step>{{w.raw(concat({{0x00}, frame(A)})), {{}, A}}};
		},
		nullptr},
	{"one byte at a time",
		[](CBlockWriter& w) {
			const Bytes block = w.zlibBlock(frame(B));
			std::vector<Step> steps;
			for (irr::u8 byte : block)
				steps.push_back({{byte}, {}});
			steps.back().dispatched = {B};
			return steps;
		},
		nullptr},
	{"frame continued in the next block",
		[](CBlockWriter& w) {
			const Bytes whole = frame(B);
			const Bytes first = w.raw(slice(whole, 0, 3));
			return std::vector<Step>{{first, {}}, {w.raw(concat({slice(whole, 3, 99), frame(A)})), {B, A}}};
		},
		nullptr},
	{"short length field waits for the next block",
		[](CBlockWriter& w) {
			const Bytes big = concat({{0x00, 0x09}, Bytes(300, 'x')});
			const Bytes whole = frame(big);
			const Bytes first = w.raw(concat({frame(A), slice(whole, 0, 2)}));
			return std::vector<Step>{{first, {A}}, {w.zlibBlock(slice(whole, 2, 999)), {big}}};
		},
		nullptr},
	{"unknown type yields nothing, the next block decodes",
		[](CBlockWriter& w) {
			const Bytes bad = w.block(3, frame(A));
			return std::vector<Step>{{bad, {}}, {w.raw(frame(B)), {B}}};
		},
		"Client gave incorrect packet compression type!"},
	{"corrupt zlib yields nothing, the next block decodes",
		[](CBlockWriter& w) {
			const Bytes bad = w.block(2, concat({{0x01, 0x02, 0x03}, frame(A)}));
			return std::vector<Step>{{bad, {}}, {w.zlibBlock(frame(B)), {B}}};
		},
		nullptr},
	{"W = 5 drops the rest of the block, the next block starts clean",
		[](CBlockWriter& w) {
			const Bytes bad = w.raw(concat({frame(A), {0x05, 0, 0, 0, 0, 2, 0, 7}, frame(B)}));
			return std::vector<Step>{{bad, {A}}, {w.raw(frame(B)), {B}}};
		},
		"Frame length width above 4; the rest of the decoded bytes is dropped."},
	{"a frame above 16 MiB is dropped",
		[](CBlockWriter& w) {
			const Bytes bad = w.raw({0x04, 0x01, 0x00, 0x00, 0x01, 0x00, 0x07});
			return std::vector<Step>{{bad, {}}, {w.raw(frame(A)), {A}}};
		},
		"Frame longer than 16 MiB; the rest of the decoded bytes is dropped."},
};

class FramesTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(FramesTest, DispatchesWhatIsComplete)
{
	const Case& c = GetParam();
	CBlockWriter writer;
	CTestNetHost host;
	CRecordingLogger logger;
	std::vector<Bytes> packets;
	host.Parsers.replace(new CRecordingParser(host, packets));
	net::CPacketCipher incoming;
	incoming.reset(0);
	net::CFrameDispatcher dispatcher(incoming, host.Parsers, &logger);
	net::packet received, decoded;
	net::CReceiveStream stream(received, decoded);

	const std::vector<Step> steps = c.steps(writer);
	for (std::size_t i = 0; i < steps.size(); ++i)
	{
		packets.clear();
		stream.append(steps[i].received.data(), steps[i].received.size());
		stream.process(dispatcher);
		EXPECT_EQ(packets, steps[i].dispatched) << "after receive " << i;
	}
	EXPECT_EQ(stream.getReceivedSize(), 0u);
	EXPECT_EQ(stream.getDecodedSize(), 0u);
	if (c.errorLine)
	{
		ASSERT_EQ(logger.lines.size(), 1u);
		EXPECT_EQ(logger.lines[0].text, "net");
		EXPECT_EQ(logger.lines[0].hint, c.errorLine);
		EXPECT_EQ(logger.lines[0].level, irr::ELL_ERROR);
	}
	else
		EXPECT_TRUE(logger.lines.empty());
}

INSTANTIATE_TEST_SUITE_P(
	Stream, FramesTest, ::testing::ValuesIn(Cases), [](const ::testing::TestParamInfo<Case>& info) {
		std::string name;
		for (const char* p = info.param.name; *p; ++p)
			name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
		return name;
	});

// A handler that clears the stream (a new login) ends the pass: nothing after it is dispatched.
TEST(FramesTest, ClearFromInsideADispatchEndsThePass)
{
	class CClearingParser : public CNetParse
	{
	public:
		CClearingParser(INetParseHost& host, net::packet& received, net::packet& decoded, int& calls)
			: CNetParse(host)
			, Received(received)
			, Decoded(decoded)
			, Calls(calls)
		{
		}
		bool parse(net::packet&) override
		{
			++Calls;
			Received.clear();
			Decoded.clear();
			return true;
		}
		net::packet& Received;
		net::packet& Decoded;
		int& Calls;
	};
	CBlockWriter writer;
	CTestNetHost host;
	net::packet received, decoded;
	net::CReceiveStream stream(received, decoded);
	int calls = 0;
	host.Parsers.replace(new CClearingParser(host, received, decoded, calls));
	net::CPacketCipher incoming;
	net::CFrameDispatcher dispatcher(incoming, host.Parsers, nullptr);
	const Bytes bytes = concat({writer.raw(concat({frame(A), frame(B)})), writer.raw(frame(A))});
	stream.append(bytes.data(), bytes.size());
	stream.process(dispatcher);
	EXPECT_EQ(calls, 1);
	EXPECT_EQ(stream.getReceivedSize(), 0u);
}

} // namespace

namespace {

// A budget spent leaves the rest of the stream, in order, for the passes after; the first block and
// the first frame of a pass always go, and nothing past them beyond what the budget allows.
struct BudgetCase
{
	const char* name;
	net::SReceiveBudget budget;
	//! Frames (each a packet of id 0 and that many bytes, at least 3) block by block.
	std::vector<std::vector<std::size_t>> blocks;
	//! Packets dispatched by each pass until the stream is empty.
	std::vector<std::size_t> perPass;
};

// Id 6 with that many bytes of code: weighed by its length.
Bytes script(std::size_t codeBytes)
{
	Bytes packet{0x00, 0x06};
	packet.resize(2 + codeBytes, 'x');
	return packet;
}

const net::SReceiveBudget Unbounded = net::SReceiveBudget::unbounded();

net::SReceiveBudget budget(irr::u32 inflated, irr::u32 packets, irr::u32 work)
{
	net::SReceiveBudget b = Unbounded;
	b.inflatedBytes = inflated;
	b.packets = packets;
	b.work = work;
	return b;
}

const BudgetCase BudgetCases[] = {
	{"packets past the budget wait for the next pass", budget(~0u, 3, ~0u), {{3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},
		{3, 3, 3, 1}},
	{"frames decoded before go before the next block", budget(~0u, 2, ~0u), {{3, 3, 3}, {3, 3}}, {2, 2, 1}},
	{"no block is decoded past the inflated bytes", budget(250, ~0u, ~0u), {{100}, {100}, {100}, {100}, {100}}, {3, 2}},
	{"a frame above the whole budget still goes first in its pass", budget(~0u, ~0u, 100), {{3, 200000, 3}}, {1, 1, 1}},
	{"work counts bytes too", budget(~0u, ~0u, 10), {{3, 4096, 4096, 3}}, {1, 2, 1}},
	{"nothing to do takes nothing", budget(1, 1, 1), {}, {}},
};

Bytes packetOf(std::size_t size)
{
	Bytes packet(size, 0);
	return packet;
}

class ReceiveBudgetTest : public ::testing::TestWithParam<BudgetCase>
{
};

TEST_P(ReceiveBudgetTest, LeavesTheRestInOrder)
{
	const BudgetCase& c = GetParam();
	CBlockWriter writer;
	CTestNetHost host;
	std::vector<Bytes> packets;
	host.Parsers.replace(new CRecordingParser(host, packets));
	net::CPacketCipher incoming;
	incoming.reset(0);
	net::CFrameDispatcher dispatcher(incoming, host.Parsers, nullptr);
	net::packet received, decoded;
	net::CReceiveStream stream(received, decoded);

	std::vector<Bytes> sent;
	for (const std::vector<std::size_t>& frames : c.blocks)
	{
		Bytes joined;
		for (std::size_t size : frames)
		{
			// Each packet tells its place in the stream behind its id.
			Bytes packet = packetOf(size);
			packet[2] = static_cast<irr::u8>(sent.size());
			sent.push_back(packet);
			joined = concat({joined, frame(packet)});
		}
		// Larger than a block holds: the frames span blocks, as a server may cut them.
		for (std::size_t at = 0; at < joined.size(); at += 60000)
		{
			const Bytes block = writer.raw(slice(joined, at, at + 60000));
			stream.append(block.data(), block.size());
		}
	}

	std::vector<std::size_t> perPass;
	for (int pass = 0; pass < 100 && stream.hasWork(); ++pass)
	{
		const std::size_t before = packets.size();
		const net::SReceiveWork done = stream.process(dispatcher, c.budget);
		perPass.push_back(packets.size() - before);
		EXPECT_EQ(done.packets, packets.size() - before) << c.name;
		// Past the first piece of each kind, nothing beyond the budget.
		EXPECT_TRUE(done.packets <= 1 || done.packets <= c.budget.packets) << c.name;
		EXPECT_TRUE(done.blocks <= 1 || done.inflatedBytes < irr::u64(c.budget.inflatedBytes) + 65535) << c.name;
	}
	EXPECT_EQ(perPass, c.perPass) << c.name;
	EXPECT_EQ(packets, sent) << c.name << ": every packet once, in order";
	EXPECT_FALSE(stream.hasWork());
	EXPECT_EQ(stream.getReceivedSize(), 0u);
	EXPECT_EQ(stream.getDecodedSize(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
	Budget, ReceiveBudgetTest, ::testing::ValuesIn(BudgetCases), [](const ::testing::TestParamInfo<BudgetCase>& info) {
		std::string name;
		for (const char* p = info.param.name; *p; ++p)
			name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
		return name;
	});

// Script code is weighed by its length: a frame builds one large script, or a few small ones.
TEST(ReceiveWork, ScriptCodeWeighsByItsLength)
{
	const net::SReceiveBudget frame;
	struct Case
	{
		std::size_t codeBytes;
		irr::u32 perFrameAtLeast;
		irr::u32 perFrameAtMost;
	};
	const Case cases[] = {{100, 20, 50}, {1024, 10, 30}, {8192, 2, 6}, {65536, 1, 1}, {1u << 20, 1, 1}};
	for (const Case& c : cases)
	{
		const Bytes packet = script(c.codeBytes);
		const irr::u32 work = net::packetWork(packet.data(), packet.size());
		const irr::u32 perFrame = std::max<irr::u32>(1, frame.work / work);
		EXPECT_GE(perFrame, c.perFrameAtLeast) << c.codeBytes;
		EXPECT_LE(perFrame, c.perFrameAtMost) << c.codeBytes;
	}
	const Bytes empty = {0x00, 0x10, 0, 0, 0, 1};
	EXPECT_EQ(net::packetWork(empty.data(), empty.size()), 1u) << "no code, no build";
}

} // namespace
