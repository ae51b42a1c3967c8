// The table of pair kerning the font keeps: what it answers, and that a pair
// that took another's slot never answers for it.

#include <vector>

#include <gtest/gtest.h>

#include "text/CKerningCache.h"

using irr::core::vector2di;
using irr::gui::CKerningCache;

TEST(KerningCache, FindsWhatWasStoredWithinSixteenBits)
{
	struct Case
	{
		const char* name;
		irr::u32 left;
		irr::u32 right;
		vector2di kerning;
		bool kept;
	};
	const Case cases[] = {
		{"a kerned pair", 36, 57, {-2, 0}, true},
		{"a pair without kerning", 3, 4, {0, 0}, true},
		{"vertical kerning", 5, 6, {0, 3}, true},
		{"the glyph without a picture", 0, 9, {1, 0}, true},
		{"the largest glyphs kept", 0xFFFE, 0xFFFE, {-32768, 32767}, true},
		{"a left glyph past 16 bits", 0x10000, 4, {-1, 0}, false},
		{"a right glyph of 16 bits", 4, 0xFFFF, {-1, 0}, false},
		{"kerning past 16 bits", 7, 8, {40000, 0}, false},
		{"vertical kerning past 16 bits", 7, 8, {0, -40000}, false},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CKerningCache cache;
		vector2di found;
		EXPECT_FALSE(cache.find(c.left, c.right, found)) << "an empty table knows nothing";
		cache.store(c.left, c.right, c.kerning);
		ASSERT_EQ(cache.find(c.left, c.right, found), c.kept);
		if (c.kept)
		{
			EXPECT_EQ(found, c.kerning);
		}
		if (c.left != c.right)
		{
			EXPECT_FALSE(cache.find(c.right, c.left, found)) << "the reversed pair is another pair";
		}
	}
}

TEST(KerningCache, APairNeverAnswersForTheOneItReplaced)
{
	CKerningCache cache;
	// Four times as many pairs as slots: most slots are taken over and over.
	const irr::u32 side = 256;
	static_assert(side * side >= 4 * CKerningCache::SLOTS, "pairs must outnumber the slots");
	auto kerningOf = [](irr::u32 left, irr::u32 right) {
		return vector2di(static_cast<irr::s32>(left) - static_cast<irr::s32>(right), static_cast<irr::s32>(left % 7));
	};
	for (irr::u32 left = 0; left < side; ++left)
		for (irr::u32 right = 0; right < side; ++right)
			cache.store(left, right, kerningOf(left, right));
	irr::u32 kept = 0;
	for (irr::u32 left = 0; left < side; ++left)
		for (irr::u32 right = 0; right < side; ++right)
		{
			vector2di found;
			if (!cache.find(left, right, found))
				continue;
			++kept;
			ASSERT_EQ(found, kerningOf(left, right)) << left << ", " << right;
		}
	// No slot holds more than one pair, and most slots got one.
	EXPECT_LE(kept, CKerningCache::SLOTS);
	EXPECT_GT(kept, CKerningCache::SLOTS / 2);
	vector2di found;
	EXPECT_TRUE(cache.find(side - 1, side - 1, found)) << "the last pair stored is kept";
}
