#include <gtest/gtest.h>

#include <bzlib.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "base/packet.h"
#include "net/CPacketCipher.h"
#include "net/compression.h"
#include "wire_vectors.h"

using namespace orv::net;
typedef std::vector<irr::u8> Bytes;
typedef bool (*Codec)(packet&);

namespace {

Bytes fromHex(const std::string& hex)
{
	Bytes out;
	for (size_t i = 0; i + 1 < hex.size(); i += 2)
		out.push_back(static_cast<irr::u8>(std::stoul(hex.substr(i, 2), nullptr, 16)));
	return out;
}

packet packetOf(const Bytes& b)
{
	return packet::fromBytes(b.data(), b.data() + b.size());
}

Bytes bytesOf(const packet& p)
{
	return Bytes(p.getData(), p.getData() + p.getSize());
}

// Random bytes: the worst case for both compressors' output size.
packet noise(irr::u32 length, irr::u32 seed)
{
	std::mt19937 random(seed);
	Bytes b(length);
	for (irr::u8& x : b)
		x = static_cast<irr::u8>(random());
	return packetOf(b);
}

packet pattern(irr::u32 length, irr::u32 salt)
{
	Bytes b(length);
	for (irr::u32 i = 0; i < length; ++i)
		b[i] = wire_vectors::patternByte(i, salt);
	return packetOf(b);
}

packet zeros(irr::u32 length)
{
	return packetOf(Bytes(length, 0));
}

// What a library makes of some bytes, bypassing the client's functions.
packet zlibOf(const packet& p)
{
	uLongf length = compressBound(p.getSize());
	Bytes out(length);
	EXPECT_EQ(compress2(out.data(), &length, p.getData(), p.getSize(), 6), Z_OK);
	out.resize(length);
	return packetOf(out);
}

packet bzip2Of(const packet& p)
{
	unsigned int length = p.getSize() + p.getSize() / 100 + 600;
	Bytes out(length);
	Bytes in = bytesOf(p);
	EXPECT_EQ(BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(out.data()), &length, reinterpret_cast<char*>(in.data()),
				  p.getSize(), 1, 0, 0),
		BZ_OK);
	out.resize(length);
	return packetOf(out);
}

} // namespace

TEST(Compression, RoundTripsPerLibrary)
{
	struct Library
	{
		const char* name;
		Codec compress;
		Codec decompress;
	};
	const Library libraries[] = {
		{"zlib", compressZlib, decompressZlib},
		{"bzip2", compressBzip2, decompressBzip2},
	};
	const irr::u32 sizes[] = {1, 56, 8192, 8193, 61440};
	for (const Library& lib : libraries)
		for (irr::u32 size : sizes)
			for (int compressible = 0; compressible < 2; ++compressible)
			{
				const packet original = compressible ? pattern(size, 0) : noise(size, size);
				packet p = original;
				p.setReadPosition(p.getSize() / 2);
				ASSERT_TRUE(lib.compress(p)) << lib.name << " " << size;
				EXPECT_EQ(p.getReadPosition(), 0u);
				p.setReadPosition(p.getSize() / 2);
				ASSERT_TRUE(lib.decompress(p)) << lib.name << " " << size;
				EXPECT_EQ(p, original) << lib.name << " " << size;
				EXPECT_EQ(p.getReadPosition(), 0u);
			}
}

TEST(Compression, EmptyPacket)
{
	// zlib makes a stream of nothing and reads it back.
	packet z;
	ASSERT_TRUE(compressZlib(z));
	EXPECT_EQ(z, zlibOf(packet()));
	ASSERT_TRUE(decompressZlib(z));
	EXPECT_TRUE(z.isEmpty());

	// bzip2 is handed no data pointer and refuses: the packet stays empty.
	testing::internal::CaptureStdout();
	packet b;
	EXPECT_FALSE(compressBzip2(b));
	EXPECT_TRUE(b.isEmpty());
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(Compression, OutputIsTheLibrarysOwn)
{
	const packet input = pattern(5000, 3);
	packet z = input;
	ASSERT_TRUE(compressZlib(z));
	EXPECT_EQ(z, zlibOf(input));
	packet b = input;
	ASSERT_TRUE(compressBzip2(b));
	EXPECT_EQ(b, bzip2Of(input));
}

TEST(Compression, FailuresPrintTheirLineAndLeaveThePacket)
{
	packet bz = bzip2Of(pattern(3000, 1));
	packet truncatedBz = packet::fromBytes(bz.getData(), bz.getData() + bz.getSize() - 10);
	packet corruptBz = bz;
	corruptBz.getData()[bz.getSize() / 2] ^= 0x55;
	packet z = zlibOf(pattern(3000, 1));
	packet truncatedZ = packet::fromBytes(z.getData(), z.getData() + z.getSize() / 2);

	struct Case
	{
		const char* name;
		Codec codec;
		packet input;
		const char* printed;
	};
	const Case cases[] = {
		{"zlib not a stream", decompressZlib, packet::fromText(irr::core::ustring16("not zlib at all")),
			"zlib: The input data was corrupted.\n"},
		{"zlib truncated", decompressZlib, truncatedZ, "zlib: The input data was corrupted.\n"},
		{"zlib empty", decompressZlib, packet(), "zlib: The input data was corrupted.\n"},
		{"zlib above 65535", decompressZlib, zlibOf(zeros(65536)),
			"zlib: Not enough room in the output buffer to decompress.\n"},
		{"bzip2 no signature", decompressBzip2, packet::fromText(irr::core::ustring16("hello")),
			"bzip2: The input data was corrupted (missing magic bytes).\n"},
		{"bzip2 truncated", decompressBzip2, truncatedBz, "bzip2: The input data was corrupted (unexpected EOF).\n"},
		{"bzip2 corrupt", decompressBzip2, corruptBz, "bzip2: The input data was corrupted.\n"},
		{"bzip2 empty", decompressBzip2, packet(), "bzip2: Parameter error.\n"},
		{"bzip2 above 65535", decompressBzip2, bzip2Of(zeros(65536)), "bzip2: Output buffer is not big enough.\n"},
		{"zlib compress above 65535", compressZlib, noise(70000, 1), ""},
		{"bzip2 compress above 65535", compressBzip2, noise(70000, 2), ""},
	};
	for (const Case& c : cases)
	{
		packet p = c.input;
		p.setReadPosition(p.getSize() > 1 ? 1 : 0);
		const irr::u32 position = p.getReadPosition();
		testing::internal::CaptureStdout();
		EXPECT_FALSE(c.codec(p)) << c.name;
		EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.name;
		EXPECT_EQ(p, c.input) << c.name;
		EXPECT_EQ(p.getReadPosition(), position) << c.name;
	}
}

TEST(Compression, EveryLibraryResultHasItsLine)
{
	struct Case
	{
		bool zlib;
		int result;
		const char* line;
	};
	const Case cases[] = {
		{true, Z_DATA_ERROR, "zlib: The input data was corrupted."},
		{true, Z_MEM_ERROR, "zlib: Not enough memory to decompress."},
		{true, Z_BUF_ERROR, "zlib: Not enough room in the output buffer to decompress."},
		{true, Z_STREAM_ERROR, nullptr},
		{true, Z_NEED_DICT, nullptr},
		{true, Z_VERSION_ERROR, nullptr},
		{false, BZ_CONFIG_ERROR, "bzip2: Library has been mis-compiled."},
		{false, BZ_OUTBUFF_FULL, "bzip2: Output buffer is not big enough."},
		{false, BZ_UNEXPECTED_EOF, "bzip2: The input data was corrupted (unexpected EOF)."},
		{false, BZ_IO_ERROR, nullptr},
		{false, BZ_DATA_ERROR_MAGIC, "bzip2: The input data was corrupted (missing magic bytes)."},
		{false, BZ_DATA_ERROR, "bzip2: The input data was corrupted."},
		{false, BZ_MEM_ERROR, "bzip2: Not enough memory to decompress."},
		{false, BZ_PARAM_ERROR, "bzip2: Parameter error."},
		{false, BZ_SEQUENCE_ERROR, nullptr},
	};
	for (const Case& c : cases)
	{
		const char* line = c.zlib ? describeZlibFailure(c.result) : describeBzip2Failure(c.result);
		EXPECT_STREQ(line, c.line) << (c.zlib ? "zlib " : "bzip2 ") << c.result;
	}
}

// Blocks written by the test server: compressing and scrambling here gives
// the same bytes, and descrambling and inflating them gives the data back.
TEST(Compression, BlocksMatchTheServers)
{
	for (const wire_vectors::SBlock& v : wire_vectors::BLOCKS)
	{
		const packet data = pattern(v.length, v.salt);
		const packet block = packetOf(fromHex(v.block));

		packet payload = data;
		const Codec compress = v.kind == 2 ? compressZlib : v.kind == 4 ? compressBzip2 : nullptr;
		if (compress)
		{
			ASSERT_TRUE(compress(payload)) << v.name;
		}
		CPacketCipher writer;
		writer.reset(v.key);
		writer.setWordsForCompression(v.kind);
		payload = writer.applyCopy(payload);
		const irr::u32 length = payload.getSize() + 1;
		packet written = packet::fromU16(static_cast<irr::u16>(length));
		written.append(packet::fromU8(v.kind)).append(payload);
		EXPECT_EQ(written, block) << v.name;

		packet read = block;
		EXPECT_EQ(read.readU16(), block.getSize() - 2) << v.name;
		const irr::u8 type = read.readU8();
		EXPECT_EQ(type, v.kind) << v.name;
		read.removeRead();
		CPacketCipher reader;
		reader.reset(v.key);
		reader.setWordsForCompression(type);
		reader.apply(read);
		const Codec decompress = type == 2 ? decompressZlib : type == 4 ? decompressBzip2 : nullptr;
		if (decompress)
		{
			ASSERT_TRUE(decompress(read)) << v.name;
		}
		EXPECT_EQ(read, data) << v.name;
	}
}
