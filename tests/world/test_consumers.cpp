#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/packet.h"
#include "engine/CGameEngine.h"
#include "world/IConsumer.h"

using namespace orv;

namespace {

struct SDelivery
{
	std::string consumer;
	irr::s32 kind;
	irr::u32 readPosition; // when the data reached it
	bool operator==(const SDelivery& o) const
	{
		return consumer == o.consumer && kind == o.kind && readPosition == o.readPosition;
	}
};
std::vector<SDelivery> deliveries;

// Reads one byte of what it is given, as the camera reads its id.
class CRecordingConsumer : public IConsumer
{
public:
	explicit CRecordingConsumer(const char* name) : Name(name) {}
	bool consume(irr::s32 kind, net::packet& data) override
	{
		deliveries.push_back({Name, kind, data.getReadPosition()});
		data.readU8();
		if (onConsume)
			onConsume();
		return false;
	}
	std::function<void()> onConsume;

private:
	std::string Name;
};

} // namespace

TEST(Consumers, NotificationsReachTheKindThenKindZero)
{
	struct SRegistration
	{
		int consumer; // index into a, b, c
		irr::s32 kind;
	};
	struct Case
	{
		const char* name;
		std::vector<SRegistration> registrations;
		std::vector<int> unregistered;
		irr::s32 notified;
		std::vector<SDelivery> expected;
	};
	const Case cases[] = {
		{"kind 1 then kind 0", {{0, 1}, {0, 0}}, {}, 1, {{"a", 1, 0}, {"a", 0, 1}}},
		{"kind 0 reaches kind 0 once", {{0, 0}, {1, 2}}, {}, 0, {{"a", 0, 0}}},
		{"registered twice, called once", {{0, 2}, {0, 2}}, {}, 2, {{"a", 2, 0}}},
		{"every consumer of the kind, sharing the read position", {{0, 2}, {1, 2}, {2, 1}}, {}, 2,
			{{"a", 2, 0}, {"b", 2, 1}}},
		{"a kind without consumers", {{0, 1}}, {}, 7, {}},
		{"unregistered consumers hear nothing", {{0, 1}, {0, 0}, {1, 1}}, {0}, 1, {{"b", 1, 0}}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CGameEngine engine;
		CRecordingConsumer consumers[3] = {CRecordingConsumer("a"), CRecordingConsumer("b"), CRecordingConsumer("c")};
		for (const SRegistration& r : c.registrations)
			engine.registerConsumer(r.kind, &consumers[r.consumer]);
		for (int index : c.unregistered)
			engine.unregisterConsumer(&consumers[index]);
		deliveries.clear();
		net::packet data = net::packet::fromU32(42);
		engine.notifyConsumers(c.notified, data);
		// The set's order is the consumers' own; compare as sets where two share a kind.
		ASSERT_EQ(deliveries.size(), c.expected.size());
		for (const SDelivery& d : c.expected)
		{
			bool found = false;
			for (const SDelivery& got : deliveries)
				found = found || (got.consumer == d.consumer && got.kind == d.kind);
			EXPECT_TRUE(found) << d.consumer << " kind " << d.kind;
		}
		for (size_t i = 0; i < deliveries.size(); ++i)
		{
			EXPECT_EQ(deliveries[i].readPosition, i);
			// Kind 0 comes after every consumer of the notified kind.
			if (i > 0 && deliveries[i - 1].kind == 0)
			{
				EXPECT_EQ(deliveries[i].kind, 0);
			}
		}
	}
	deliveries.clear();
}

TEST(Consumers, AConsumerLeavingDuringANotificationIsNotCalledAfterwards)
{
	CGameEngine engine;
	CRecordingConsumer a("a"), b("b");
	engine.registerConsumer(2, &a);
	engine.registerConsumer(2, &b);
	engine.registerConsumer(0, &a);
	engine.registerConsumer(0, &b);
	// Whichever comes first lets the other go.
	a.onConsume = [&] { engine.unregisterConsumer(&b); };
	b.onConsume = [&] { engine.unregisterConsumer(&a); };
	deliveries.clear();
	net::packet data = net::packet::fromU32(5);
	engine.notifyConsumers(2, data);
	ASSERT_EQ(deliveries.size(), 2u);
	EXPECT_EQ(deliveries[0].consumer, deliveries[1].consumer);
	EXPECT_EQ(deliveries[0].kind, 2);
	EXPECT_EQ(deliveries[1].kind, 0);
	deliveries.clear();
}
