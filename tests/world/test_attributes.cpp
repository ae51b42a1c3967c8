#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/packet.h"
#include "support/CRecordingLogger.h"
#include "world/AttributeWire.h"
#include "base/Refusal.h"
#include "world/CAttributeList.h"
#include "world/EngineAttributes.h"
#include "base/Log.h"

using namespace orv;
using irr::core::ustring16;
using orv::net::packet;

namespace {

packet bytes(std::vector<irr::u8> content)
{
	return packet::fromBytes(content.data(), content.data() + content.size());
}

SAttribute make(EAttributeType type, double number, const char* text = "")
{
	SAttribute a;
	switch (type)
	{
	case EAT_INT:
		a.setInt(static_cast<irr::s64>(number));
		break;
	case EAT_UINT:
		a.setUInt(static_cast<irr::u64>(number));
		break;
	case EAT_FLOAT:
		a.setFloat(static_cast<float>(number));
		break;
	case EAT_DOUBLE:
		a.setDouble(number);
		break;
	case EAT_STRING:
		a.setString(ustring16(text));
		break;
	default:
		a.type = type;
		break;
	}
	return a;
}

} // namespace

TEST(Attribute, GettersConvertBetweenTypes)
{
	struct Case
	{
		SAttribute attribute;
		irr::s64 asInt;
		irr::u64 asUInt;
		double asDouble;
		const char* asString;
	};
	const Case cases[] = {
		{make(EAT_FLOAT, -2.7), -2, irr::u64(-2), -2.7f, "-2.7"},
		{make(EAT_FLOAT, 0.25), 0, 0, 0.25, "0.25"},
		{make(EAT_FLOAT, 1.0), 1, 1, 1.0, "1"},
		{make(EAT_DOUBLE, 0.5), 0, 0, 0.5, "0.5"},
		{make(EAT_DOUBLE, 1e20), INT64_MAX, irr::u64(INT64_MAX), 1e20, "1e+20"},
		{make(EAT_DOUBLE, NAN), 0, 0, NAN, "nan"},
		{make(EAT_INT, -5), -5, irr::u64(-5), -5.0, "-5"},
		{make(EAT_UINT, 9223372036854775808.0), INT64_MIN, 9223372036854775808ull, 9223372036854775808.0,
			"9223372036854775808"},
		{make(EAT_STRING, 0, "  42abc"), 42, 42, 42.0, "  42abc"},
		{make(EAT_STRING, 0, "3.75"), 3, 3, 3.75, "3.75"},
		{make(EAT_STRING, 0, "-7"), -7, irr::u64(-7), -7.0, "-7"},
		{make(EAT_STRING, 0, "abc"), 0, 0, 0.0, "abc"},
		{make(EAT_INVALID, 0), 0, 0, 0.0, ""},
		{make(static_cast<EAttributeType>(9), 0), 0, 0, 0.0, ""},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.asString);
		EXPECT_EQ(c.attribute.getInt(), c.asInt);
		EXPECT_EQ(c.attribute.getUInt(), c.asUInt);
		if (std::isnan(c.asDouble))
			EXPECT_TRUE(std::isnan(c.attribute.getDouble()));
		else
		{
			EXPECT_DOUBLE_EQ(c.attribute.getDouble(), c.asDouble);
			EXPECT_FLOAT_EQ(c.attribute.getFloat(), static_cast<float>(c.asDouble));
		}
		EXPECT_EQ(c.attribute.getString().toUTF8_std(), c.asString);
	}
}

TEST(Attribute, NumericSettersEmptyTheTextAndSetStringKeepsTheNumbers)
{
	SAttribute a;
	a.setString(ustring16("x"));
	a.setFloat(2.5f);
	EXPECT_EQ(a.type, EAT_FLOAT);
	EXPECT_TRUE(a.textValue.empty());
	a.setString(ustring16("y"));
	EXPECT_EQ(a.type, EAT_STRING);
	EXPECT_EQ(a.floatValue, 2.5f);
}

TEST(Attribute, ReadValueFromWireBytes)
{
	struct Case
	{
		const char* name;
		std::vector<irr::u8> wire;
		bool accepted;
		EAttributeType type; // after the read
		const char* value;   // getString after the read
		irr::u32 position;   // read position after the read
	};
	// The attribute starts as EAT_FLOAT 1.5 with the text field untouched.
	const Case cases[] = {
		{"int of width 2", {1, 2, 0x01, 0x00}, true, EAT_INT, "256", 4},
		{"negative int of width 8", {1, 8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFB}, true, EAT_INT, "-5", 10},
		{"uint of width 1", {2, 1, 7, 0xAA}, true, EAT_UINT, "7", 3},
		{"float", {3, 0x3F, 0x80, 0, 0}, true, EAT_FLOAT, "1", 5},
		{"double", {4, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0}, true, EAT_DOUBLE, "0.5", 9},
		{"string", {5, 1, 2, 'h', 'i', 'z'}, true, EAT_STRING, "hi", 5},
		{"empty string", {5, 1, 0}, true, EAT_STRING, "", 3},
		{"type 0 carries nothing", {0, 1, 2}, true, EAT_FLOAT, "1.5", 1},
		{"no byte at all", {}, true, EAT_FLOAT, "1.5", 0},
		{"type above 5", {6, 1, 2}, false, EAT_FLOAT, "1.5", 0},
		{"type 255", {255}, false, EAT_FLOAT, "1.5", 0},
		{"width 0", {1, 0, 5}, false, EAT_FLOAT, "1.5", 0},
		{"width 9", {1, 9, 0, 0, 0, 0, 0, 0, 0, 0, 1}, false, EAT_FLOAT, "1.5", 0},
		{"width byte missing", {2}, false, EAT_FLOAT, "1.5", 0},
		{"int cut short", {1, 4, 0, 1}, false, EAT_FLOAT, "1.5", 0},
		{"float cut short", {3, 0x3F, 0x80}, false, EAT_FLOAT, "1.5", 0},
		{"double cut short", {4, 1, 2, 3, 4, 5, 6, 7}, false, EAT_FLOAT, "1.5", 0},
		{"string length cut short", {5, 2, 0}, false, EAT_FLOAT, "1.5", 0},
		{"string bytes cut short", {5, 1, 3, 'a', 'b'}, false, EAT_FLOAT, "1.5", 0},
		{"string width 0", {5, 0}, false, EAT_FLOAT, "1.5", 0},
		{"string width 9", {5, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false, EAT_FLOAT, "1.5", 0},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		SAttribute a;
		a.setFloat(1.5f);
		packet data = bytes(c.wire);
		EXPECT_EQ(a.readValue(data), c.accepted);
		EXPECT_EQ(a.type, c.type);
		EXPECT_EQ(a.getString().toUTF8_std(), c.value);
		EXPECT_EQ(data.getReadPosition(), c.position);
	}
}

TEST(AttributeList, ReadValuesAppliesPairsUntilAnUnknownIdOrABadValue)
{
	struct Case
	{
		const char* name;
		std::vector<irr::u8> wire;
		bool complete;
		const char* first;  // attribute 1 after the read
		const char* second; // attribute 2 after the read
		std::vector<irr::u32> notified;
	};
	const Case cases[] = {
		{"both", {1, 2, 1, 9, 2, 5, 1, 1, 'q'}, true, "9", "q", {1, 2}},
		{"unknown second id", {1, 2, 1, 9, 7, 2, 1, 1}, false, "9", "", {1}},
		{"bad second value", {1, 2, 1, 9, 2, 6}, false, "9", "", {1}},
		{"id without value", {2}, true, "0", "", {2}},
		{"empty", {}, true, "0", "", {}},
	};
	static std::vector<irr::u32> seen;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CAttributeList list;
		list.getOrAdd(ustring16("one"), 1);
		list.setString(ustring16("two"), 2, ustring16());
		seen.clear();
		packet data = bytes(c.wire);
		EXPECT_EQ(list.readValues(data, [](irr::u32 id, packet&) { seen.push_back(id); }), c.complete);
		EXPECT_EQ(list.findById(1)->getString().toUTF8_std(), c.first);
		EXPECT_EQ(list.findById(2)->getString().toUTF8_std(), c.second);
		EXPECT_EQ(seen, c.notified);
	}
}

TEST(AttributeList, GetOrAddIdSequences)
{
	struct Step
	{
		const char* name;
		irr::s32 id;
		int expectedId; // -1: refused (null)
	};
	struct Case
	{
		const char* title;
		std::vector<Step> steps;
		irr::u16 nextFreeId;
	};
	const Case cases[] = {
		{"automatic ids count up", {{"a", -1, 0}, {"b", -1, 1}, {"c", -1, 2}}, 3},
		{"explicit ids leave the counter", {{"a", 7, 7}, {"b", 9, 9}, {"c", -1, 0}}, 1},
		{"known name keeps its id", {{"a", 3, 3}, {"a", 7, 3}, {"a", -1, 3}}, 0},
		{"counter skips explicit ids", {{"a", 0, 0}, {"b", 1, 1}, {"c", -1, 2}, {"d", -1, 3}}, 4},
		{"explicit id of another name is refused", {{"a", -1, 0}, {"b", 0, -1}, {"b", 1, 1}}, 1},
		{"low 16 bits of the id", {{"a", 65536 + 5, 5}, {"b", -2, 65534}}, 0},
		{"counter wraps", {{"a", 65535, 65535}, {"b", -1, 0}}, 1},
		{"empty name is never found", {{"", 4, 4}, {"", 5, 5}}, 0},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.title);
		CAttributeList list;
		for (const Step& step : c.steps)
		{
			SCOPED_TRACE(step.name);
			SAttribute* a = list.getOrAdd(ustring16(step.name), step.id);
			if (step.expectedId < 0)
			{
				EXPECT_EQ(a, nullptr);
				continue;
			}
			ASSERT_NE(a, nullptr);
			EXPECT_EQ(a->id, step.expectedId);
			EXPECT_EQ(list.findById(a->id), a);
		}
		EXPECT_EQ(list.getNextFreeId(), c.nextFreeId);
	}
}

// A server can clash in every packet: the first clash of a game is logged, the rest only counted.
TEST(AttributeList, ARefusedIdIsLoggedOnceAGame)
{
	orv::test::CRecordingLogger logger;
	setLogger(&logger);
	forgetRefusals();
	CAttributeList list;
	list.getOrAdd(ustring16("held"), 3);
	EXPECT_EQ(list.getOrAdd(ustring16("other"), 3), nullptr);
	EXPECT_EQ(list.setString(ustring16("other"), 3, ustring16("x")), nullptr);
	EXPECT_EQ(list.getOrAdd(ustring16("third"), 3), nullptr);
	EXPECT_EQ(list.findById(3)->name.toUTF8_std(), "held");
	ASSERT_EQ(logger.lines.size(), 1u);
	EXPECT_EQ(logger.lines[0].text, "attributes");
	EXPECT_EQ(logger.lines[0].hint, "Attribute other refused: id 3 belongs to held.");
	EXPECT_EQ(logger.lines[0].level, irr::ELL_WARNING);
	EXPECT_EQ(countRefusals("attributes: taken ids"), 3u);

	forgetRefusals();
	EXPECT_EQ(list.getOrAdd(ustring16("third"), 3), nullptr);
	ASSERT_EQ(logger.lines.size(), 2u);
	EXPECT_EQ(logger.lines[1].hint, "Attribute third refused: id 3 belongs to held.");
	setLogger(nullptr);
	forgetRefusals();
}

TEST(AttributeList, CounterWrappingOntoTakenIdsTakesTheNextFreeOne)
{
	CAttributeList list;
	list.getOrAdd(ustring16("high"), 65535);
	list.getOrAdd(ustring16("zero"), 0);
	SAttribute* a = list.getOrAdd(ustring16("x"), -1); // 0 is taken
	ASSERT_NE(a, nullptr);
	EXPECT_EQ(a->id, 1);
	EXPECT_EQ(list.size(), 3u);
}

TEST(AttributeList, FindIsExactAndInsertRefusesClashes)
{
	CAttributeList list;
	list.getOrAdd(ustring16("Name"), 4);
	EXPECT_EQ(list.findByName(ustring16("name")), nullptr);
	EXPECT_EQ(list.findByName(ustring16("Nam")), nullptr);
	EXPECT_NE(list.findByName(ustring16("Name")), nullptr);
	EXPECT_EQ(list.findByName(ustring16()), nullptr);
	EXPECT_EQ(list.findById(5), nullptr);

	std::unique_ptr<SAttribute> sameId(new SAttribute());
	sameId->id = 4;
	sameId->name = ustring16("other");
	EXPECT_FALSE(list.insert(std::move(sameId)));
	std::unique_ptr<SAttribute> sameName(new SAttribute());
	sameName->id = 8;
	sameName->name = ustring16("Name");
	EXPECT_FALSE(list.insert(std::move(sameName)));
	std::unique_ptr<SAttribute> fresh(new SAttribute());
	fresh->id = 8;
	fresh->name = ustring16("fresh");
	EXPECT_TRUE(list.insert(std::move(fresh)));
	EXPECT_EQ(list.findByName(ustring16("fresh"))->id, 8);
}

TEST(AttributeList, CopyFromIsADeepCopyWithoutInvalidTypes)
{
	CAttributeList source;
	source.getOrAdd(ustring16("i"), 3)->setInt(-4);
	source.getOrAdd(ustring16("u"), 4)->setUInt(5);
	source.getOrAdd(ustring16("f"), 5)->setFloat(0.25f);
	source.getOrAdd(ustring16("d"), 6)->setDouble(0.125);
	source.setString(ustring16("s"), 7, ustring16("text"));
	source.getOrAdd(ustring16("bad"), 8)->type = EAT_INVALID;
	source.getOrAdd(ustring16("auto"), -1);

	CAttributeList copy;
	copy.getOrAdd(ustring16("stale"), 1);
	copy.copyFrom(source);
	EXPECT_EQ(copy.size(), 6u);
	EXPECT_EQ(copy.findByName(ustring16("stale")), nullptr);
	EXPECT_EQ(copy.findByName(ustring16("bad")), nullptr);
	EXPECT_EQ(copy.getNextFreeId(), source.getNextFreeId());
	for (const auto& entry : source.getAttributes())
	{
		if (entry.second->type == EAT_INVALID)
			continue;
		const SAttribute* to = copy.findById(entry.first);
		ASSERT_NE(to, nullptr);
		EXPECT_NE(to, entry.second.get());
		EXPECT_EQ(to->name, entry.second->name);
		EXPECT_EQ(to->type, entry.second->type);
		EXPECT_EQ(to->getString(), entry.second->getString());
	}
	source.findById(7)->setString(ustring16("changed"));
	EXPECT_EQ(copy.findById(7)->getString().toUTF8_std(), "text");
	// The next automatic id of the copy continues where the source's stood.
	EXPECT_EQ(copy.getOrAdd(ustring16("next"), -1)->id, 1);
}

TEST(EngineAttributes, DefaultsTable)
{
	struct Case
	{
		irr::u16 id;
		const char* name;
		EAttributeType type;
		const char* value;
	};
	const Case cases[] = {
		{1, "EP_LEVEL", EAT_STRING, ""},
		{2, "EP_X", EAT_FLOAT, "0"},
		{3, "EP_Y", EAT_FLOAT, "0"},
		{4, "EP_Z", EAT_FLOAT, "0"},
		{5, "EP_SCALE_X", EAT_FLOAT, "1"},
		{6, "EP_SCALE_Y", EAT_FLOAT, "1"},
		{7, "EP_VELOCITY_X", EAT_FLOAT, "0"},
		{8, "EP_VELOCITY_Y", EAT_FLOAT, "0"},
		{9, "EP_FORCE_X", EAT_FLOAT, "0"},
		{10, "EP_FORCE_Y", EAT_FLOAT, "0"},
		{11, "EP_TORQUE", EAT_FLOAT, "0"},
		{12, "EP_ROTATION", EAT_FLOAT, "0"},
		{13, "EP_DIRECTION", EAT_UINT, "0"},
		{14, "EP_IMAGE", EAT_STRING, ""},
	};
	CAttributeList list;
	setEngineAttributeDefaults(list);
	EXPECT_EQ(list.size(), 14u);
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const SAttribute* a = list.findById(c.id);
		ASSERT_NE(a, nullptr);
		EXPECT_EQ(a->name.toUTF8_std(), c.name);
		EXPECT_EQ(a->type, c.type);
		EXPECT_EQ(a->getString().toUTF8_std(), c.value);
	}
	EXPECT_EQ(list.getNextFreeId(), 0);
}

TEST(EngineAttributes, PresentNameTakesTheDefaultAndKeepsItsId)
{
	CAttributeList list;
	list.getOrAdd(ustring16("EP_X"), 40)->setString(ustring16("far"));
	setEngineAttributeDefaults(list);
	EXPECT_EQ(list.findByName(ustring16("EP_X"))->id, 40);
	EXPECT_EQ(list.findById(40)->type, EAT_FLOAT);
	EXPECT_EQ(list.findById(2), nullptr);
	EXPECT_EQ(list.size(), 14u);
}

TEST(AttributeWire, WriteGivesTheFormReadValueTakesBack)
{
	struct Case
	{
		SAttribute attribute;
		std::vector<irr::u8> wire;
	};
	const Case cases[] = {
		{make(EAT_UINT, 256), {2, 2, 1, 0}},
		{make(EAT_UINT, 0), {2, 1, 0}},
		{make(EAT_INT, -1), {1, 8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
		{make(EAT_FLOAT, 1.0), {3, 0x3F, 0x80, 0, 0}},
		{make(EAT_DOUBLE, 0.5), {4, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0}},
		{make(EAT_STRING, 0,
			 "\xC3\xA9"
			 "a"),
			{5, 1, 3, 0xC3, 0xA9, 'a'}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.attribute.getString().toUTF8_std());
		packet written = writeAttributeValue(c.attribute);
		EXPECT_EQ(written, bytes(c.wire));
		SAttribute back;
		EXPECT_TRUE(back.readValue(written));
		EXPECT_EQ(back.type, c.attribute.type);
		EXPECT_EQ(back.getString(), c.attribute.getString());
		EXPECT_EQ(written.getBytesLeft(), 0u);
	}
}
