// What the engine puts on its send queue for a packet: one frame, or nothing while offline.

#include "net/CSendQueue.h"
#include "support/engine_fixture.h"

#include <gtest/gtest.h>

namespace {

typedef std::vector<irr::u8> Bytes;

struct Case
{
	const char* name;
	bool online;
	irr::u32 size;
	Bytes header;
};

const Case Cases[] = {
	{"2 bytes", true, 2, {0x01, 0x02}},
	{"255 bytes", true, 255, {0x01, 0xFF}},
	{"300 bytes", true, 300, {0x02, 0x01, 0x2C}},
	{"65,536 bytes", true, 65536, {0x03, 0x01, 0x00, 0x00}},
	{"empty is dropped", true, 0, {}},
	{"offline is dropped", false, 2, {}},
};

class SendPacket : public orv::test::EngineTest
{
};

TEST_F(SendPacket, FramesOnePacket)
{
	for (const Case& c : Cases)
	{
		engine().getSendQueue().clear();
		engine().setOnline(c.online);
		orv::net::packet payload;
		for (irr::u32 i = 0; i < c.size; ++i)
			payload.append(orv::net::packet::fromU8(static_cast<irr::u8>(i * 13)));
		engine().sendPacket(payload);

		const auto& frames = engine().getSendQueue().getFrames();
		if (c.header.empty())
		{
			EXPECT_TRUE(frames.empty()) << c.name;
			continue;
		}
		ASSERT_EQ(frames.size(), 1u) << c.name;
		const orv::net::packet& frame = frames.front();
		ASSERT_EQ(frame.getSize(), c.header.size() + c.size) << c.name;
		EXPECT_EQ(Bytes(frame.getData(), frame.getData() + c.header.size()), c.header) << c.name;
		EXPECT_EQ(Bytes(frame.getData() + c.header.size(), frame.getData() + frame.getSize()),
			Bytes(payload.getData(), payload.getData() + payload.getSize()))
			<< c.name;
	}
}

} // namespace
