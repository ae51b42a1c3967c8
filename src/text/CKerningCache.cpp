#include "text/CKerningCache.h"

#include <limits>

namespace irr {
namespace gui {

namespace {

// 0xFFFF is no glyph index that is kept, so this key marks an empty slot.
const u32 EMPTY_KEY = 0xFFFFFFFFu;
const u32 MAX_KEPT_GLYPH = 0xFFFE;

u32 keyOf(u32 leftGlyph, u32 rightGlyph)
{
	return leftGlyph << 16 | rightGlyph;
}

// The first slot of the key's bucket.
u32 bucketOf(u32 key)
{
	// The glyphs of one script have neighbouring indices; a full mix of the
	// bits spreads their pairs as well as random keys would be.
	key ^= key >> 16;
	key *= 0x7FEB352Du;
	key ^= key >> 15;
	key *= 0x846CA68Bu;
	key ^= key >> 16;
	const u32 buckets = CKerningCache::SLOTS / CKerningCache::BUCKET_SLOTS;
	static_assert((buckets & (buckets - 1)) == 0, "a mask picks the bucket");
	return (key & (buckets - 1)) * CKerningCache::BUCKET_SLOTS;
}

bool fitsSlot(s32 value)
{
	return value >= std::numeric_limits<s16>::min() && value <= std::numeric_limits<s16>::max();
}

} // namespace

bool CKerningCache::find(u32 leftGlyph, u32 rightGlyph, core::vector2di& kerning) const
{
	if (Slots.empty() || leftGlyph > MAX_KEPT_GLYPH || rightGlyph > MAX_KEPT_GLYPH)
		return false;
	const u32 key = keyOf(leftGlyph, rightGlyph);
	const SSlot* bucket = &Slots[bucketOf(key)];
	for (u32 i = 0; i < BUCKET_SLOTS; ++i)
		if (bucket[i].Key == key) {
			kerning.set(bucket[i].X, bucket[i].Y);
			return true;
		}
	return false;
}

void CKerningCache::store(u32 leftGlyph, u32 rightGlyph, const core::vector2di& kerning)
{
	if (leftGlyph > MAX_KEPT_GLYPH || rightGlyph > MAX_KEPT_GLYPH || !fitsSlot(kerning.X) || !fitsSlot(kerning.Y))
		return;
	if (Slots.empty())
		Slots.assign(SLOTS, SSlot{EMPTY_KEY, 0, 0});
	const u32 key = keyOf(leftGlyph, rightGlyph);
	SSlot* bucket = &Slots[bucketOf(key)];
	for (u32 i = BUCKET_SLOTS - 1; i > 0; --i)
		bucket[i] = bucket[i - 1];
	bucket[0] = SSlot{key, static_cast<s16>(kerning.X), static_cast<s16>(kerning.Y)};
}

} // namespace gui
} // namespace irr
