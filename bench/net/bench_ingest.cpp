// Ingest of a recorded server stream: blocks cut from 1 MiB receives, descrambled, decompressed, cut
// into frames and dispatched to a parser that only counts. Printed against bare decompression of the
// same blocks (how much the receive path adds) and at 32 MiB against 64 MiB (whether it stays linear),
// each as the median of interleaved runs.

#include "net/CFrameDispatcher.h"
#include "net/CNetParse.h"
#include "net/CParserSlot.h"
#include "net/CReceiveStream.h"
#include "net/CServerHoldings.h"
#include "net/INetParseHost.h"

#include <bzlib.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

typedef std::vector<irr::u8> Bytes;

struct SBlock
{
	irr::u8 type;
	Bytes payload; // compressed, not yet scrambled
};

class CNoHost : public orv::INetParseHost
{
public:
	orv::CFileTransfers* Transfers = nullptr;
	irr::IrrlichtDevice* getDevice() override { return nullptr; }
	irr::core::stringc getDownloadRoot() override { return ""; }
	orv::CFileTransfers& getFileTransfers() override { return *Transfers; }
	orv::CServerHoldings& getHoldings() override { return Holdings; }
	orv::CServerHoldings Holdings;
	void closeConnection() override {}
	void installPlayReceiver() override {}
	void setOnline(bool) override {}
	void setGameRunning(bool) override {}
	void replaceParser(orv::CNetParse*) override {}
};

class CCountingParser : public orv::CNetParse
{
public:
	explicit CCountingParser(orv::INetParseHost& host) : CNetParse(host) {}
	bool parse(orv::net::packet& packet) override
	{
		++Frames;
		Bytes += packet.getSize();
		return true;
	}
	std::size_t Frames = 0;
	std::size_t Bytes = 0;
};

//! Frames of game-like packets: an id, a few integers, some text, some noise.
Bytes makeFrames(std::mt19937& random, std::size_t size)
{
	static const char* words[] = {"player", "tree", "walk.gani", "x", "y", "speed", "door", "level1"};
	Bytes out;
	while (out.size() < size)
	{
		Bytes packet{0x00, static_cast<irr::u8>(random() % 19)};
		const std::size_t length = 6 + random() % 120;
		while (packet.size() < length)
		{
			if (random() % 3)
			{
				const char* word = words[random() % 8];
				packet.insert(packet.end(), word, word + std::char_traits<char>::length(word));
			}
			else
				packet.push_back(static_cast<irr::u8>(random()));
		}
		out.push_back(1);
		out.push_back(static_cast<irr::u8>(packet.size()));
		out.insert(out.end(), packet.begin(), packet.end());
	}
	return out;
}

SBlock compressBlock(irr::u8 type, const Bytes& frames)
{
	SBlock block{type, {}};
	if (type == 0)
		block.payload = frames;
	else if (type == 2)
	{
		uLongf size = compressBound(static_cast<uLong>(frames.size()));
		block.payload.resize(size);
		compress2(block.payload.data(), &size, frames.data(), static_cast<uLong>(frames.size()), 6);
		block.payload.resize(size);
	}
	else
	{
		unsigned int size = static_cast<unsigned int>(frames.size() + frames.size() / 100 + 600);
		block.payload.resize(size);
		BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(block.payload.data()), &size,
			reinterpret_cast<char*>(const_cast<irr::u8*>(frames.data())), static_cast<unsigned int>(frames.size()), 1,
			0, 30);
		block.payload.resize(size);
	}
	return block;
}

//! A mix as a server sends it: many small raw blocks, zlib for the middle sizes, bzip2 for big ones.
std::vector<SBlock> makeDistinctBlocks()
{
	std::mt19937 random(7);
	std::vector<SBlock> blocks;
	for (int i = 0; i < 96; ++i)
	{
		blocks.push_back(compressBlock(0, makeFrames(random, 20 + random() % 30)));
		blocks.push_back(compressBlock(0, makeFrames(random, 20 + random() % 30)));
		blocks.push_back(compressBlock(2, makeFrames(random, 1000 + random() % 7000)));
		if (i % 3 == 0)
			blocks.push_back(compressBlock(4, makeFrames(random, 20000 + random() % 40000)));
	}
	return blocks;
}

//! The stream of \p size bytes; \p order receives the index of every block in it.
Bytes recordStream(const std::vector<SBlock>& blocks, std::size_t size, std::vector<std::size_t>& order)
{
	orv::net::CPacketCipher cipher;
	cipher.reset(0x5A);
	Bytes stream;
	stream.reserve(size + 70000);
	for (std::size_t i = 0; stream.size() < size; ++i)
	{
		const SBlock& block = blocks[i % blocks.size()];
		Bytes payload = block.payload;
		cipher.setWordsForCompression(block.type);
		cipher.apply(payload.data(), static_cast<irr::u32>(payload.size()));
		const std::size_t length = payload.size() + 1;
		stream.push_back(static_cast<irr::u8>(length >> 8));
		stream.push_back(static_cast<irr::u8>(length));
		stream.push_back(block.type);
		stream.insert(stream.end(), payload.begin(), payload.end());
		order.push_back(i % blocks.size());
	}
	return stream;
}

double seconds(std::chrono::steady_clock::duration d)
{
	return std::chrono::duration<double>(d).count();
}

struct SIngest
{
	double seconds;
	std::size_t frames;
	std::size_t bytes;
};

SIngest ingest(const Bytes& stream, std::size_t size)
{
	CNoHost host;
	orv::CParserSlot parsers;
	CCountingParser* counter = new CCountingParser(host);
	parsers.replace(counter);
	orv::net::CPacketCipher incoming;
	incoming.reset(0x5A);
	orv::net::packet received, decoded;
	orv::net::CReceiveStream cutter(received, decoded);
	orv::net::CFrameDispatcher dispatcher(incoming, parsers, nullptr);

	const std::size_t receive = 1u << 20;
	const auto start = std::chrono::steady_clock::now();
	for (std::size_t pos = 0; pos < size; pos += receive)
	{
		cutter.append(stream.data() + pos, std::min(receive, size - pos));
		cutter.process(dispatcher);
	}
	return {seconds(std::chrono::steady_clock::now() - start), counter->Frames, counter->Bytes};
}

double bareDecompression(const std::vector<SBlock>& blocks, const std::vector<std::size_t>& order, std::size_t count)
{
	static irr::u8 out[0xFFFF];
	std::size_t sink = 0;
	const auto start = std::chrono::steady_clock::now();
	for (std::size_t i = 0; i < count; ++i)
	{
		const SBlock& block = blocks[order[i]];
		if (block.type == 2)
		{
			uLongf size = sizeof out;
			uncompress(out, &size, block.payload.data(), static_cast<uLong>(block.payload.size()));
			sink += size;
		}
		else if (block.type == 4)
		{
			unsigned int size = sizeof out;
			BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(out), &size,
				reinterpret_cast<char*>(const_cast<irr::u8*>(block.payload.data())),
				static_cast<unsigned int>(block.payload.size()), 0, 0);
			sink += size;
		}
		else
			sink += block.payload.size();
	}
	const double elapsed = seconds(std::chrono::steady_clock::now() - start);
	if (sink == 0)
		std::printf("(nothing decompressed)\n");
	return elapsed;
}

double median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	return values[values.size() / 2];
}

} // namespace

int main()
{
	const std::size_t full = 64u << 20;
	const std::vector<SBlock> blocks = makeDistinctBlocks();
	std::vector<std::size_t> order;
	const Bytes stream = recordStream(blocks, full, order);

	// The 32 MiB run is the stream's first half, cut at a block boundary.
	std::size_t half = 0, halfBlocks = 0;
	while (half < stream.size() / 2)
	{
		half += 2 + ((std::size_t(stream[half]) << 8) | stream[half + 1]);
		++halfBlocks;
	}

	// Runs interleave, ingest beside bare decompression of the same blocks and the half stream
	// beside the whole, so a busy moment of the machine hurts both sides of each ratio alike; the
	// median of the per-run ratios is the figure.
	const int runs = 7;
	SIngest whole{}, part{};
	std::vector<double> ingestFull, ingestHalf, bareFull, ratios, growth;
	for (int run = 0; run < runs; ++run)
	{
		whole = ingest(stream, stream.size());
		bareFull.push_back(bareDecompression(blocks, order, order.size()));
		part = ingest(stream, half);
		ingestFull.push_back(whole.seconds);
		ingestHalf.push_back(part.seconds);
		ratios.push_back(bareFull.back() / whole.seconds);
		growth.push_back(whole.seconds / part.seconds);
	}

	const double mb = stream.size() / 1e6;
	const double ratio = median(ratios);
	std::printf("stream: %.1f MB on the wire, %zu blocks, %zu frames, %.1f MB of frames\n", mb, order.size(),
		whole.frames, whole.bytes / 1e6);
	std::printf("ingest (64 MiB):       %8.1f MB/s  (median %.3f s of %d)\n", mb / median(ingestFull),
		median(ingestFull), runs);
	std::printf("bare decompression:    %8.1f MB/s  (median %.3f s)\n", mb / median(bareFull), median(bareFull));
	std::printf(
		"ratio ingest/bare:     %8.3f  (median of %d interleaved runs; spread %.3f to %.3f; target >= 0.9: %s)\n",
		ratio, runs, *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
		ratio >= 0.9 ? "met" : "missed");
	std::printf("ingest (32 MiB):       %8.1f MB/s  (median %.3f s, %zu blocks)\n", half / 1e6 / median(ingestHalf),
		median(ingestHalf), halfBlocks);
	std::printf(
		"time 64 MiB / 32 MiB:  %8.3f  (median; linear: about %.3f)\n", median(growth), double(stream.size()) / half);
	return 0;
}
