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
