#include "text/CKerningCache.h"

#include <limits>

namespace irr {
namespace gui {

namespace {

bool fitsSlot(s32 value)
{
	return value >= std::numeric_limits<s16>::min() && value <= std::numeric_limits<s16>::max();
}

} // namespace

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
