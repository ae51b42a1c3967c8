#include "support/SentBlocks.h"

#include <bzlib.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include "base/packet.h"

namespace orv {
namespace test {

namespace {

std::string inflate(irr::u8 type, const net::packet& data)
{
	std::vector<char> out(1 << 20);
	if (type == 2)
	{
		uLongf size = out.size();
		EXPECT_EQ(Z_OK, uncompress(reinterpret_cast<Bytef*>(out.data()), &size, data.getData(), data.getSize()));
		return std::string(out.data(), size);
	}
	if (type == 4)
	{
		unsigned size = static_cast<unsigned>(out.size());
		std::vector<char> in(data.getData(), data.getData() + data.getSize());
		EXPECT_EQ(
			BZ_OK, BZ2_bzBuffToBuffDecompress(out.data(), &size, in.data(), static_cast<unsigned>(in.size()), 0, 0));
		return std::string(out.data(), size);
	}
	EXPECT_EQ(0, type) << "unknown compression type";
	return std::string(reinterpret_cast<const char*>(data.getData()), data.getSize());
}

} // namespace

std::vector<SSentBlock> decodeSentBlocks(const std::string& wire, net::CPacketCipher& cipher)
{
	std::vector<SSentBlock> blocks;
	size_t at = 0;
	while (at + 3 <= wire.size())
	{
		const irr::u32 length = (irr::u8(wire[at]) << 8) | irr::u8(wire[at + 1]);
		const irr::u8 type = irr::u8(wire[at + 2]);
		EXPECT_GE(length, 1u);
		if (at + 2 + length > wire.size())
		{
			ADD_FAILURE() << "block cut short";
			break;
		}
		const irr::u8* payload = reinterpret_cast<const irr::u8*>(wire.data() + at + 3);
		net::packet data = net::packet::fromBytes(payload, payload + length - 1);
		cipher.setWordsForCompression(type);
		cipher.apply(data);
		blocks.push_back({type, inflate(type, data)});
		at += 2 + length;
	}
	EXPECT_EQ(at, wire.size()) << "trailing bytes";
	return blocks;
}

} // namespace test
} // namespace orv
