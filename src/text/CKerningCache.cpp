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

u32 slotOf(u32 key)
{
	// The glyphs of one script have neighbouring indices; a full mix of the
	// bits spreads their pairs as well as random keys would be.
	key ^= key >> 16;
	key *= 0x7FEB352Du;
	key ^= key >> 15;
	key *= 0x846CA68Bu;
	key ^= key >> 16;
	static_assert((CKerningCache::SLOTS & (CKerningCache::SLOTS - 1)) == 0, "a mask picks the slot");
	return key & (CKerningCache::SLOTS - 1);
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
	const SSlot& slot = Slots[slotOf(key)];
	if (slot.Key != key)
		return false;
	kerning.set(slot.X, slot.Y);
	return true;
}

void CKerningCache::store(u32 leftGlyph, u32 rightGlyph, const core::vector2di& kerning)
{
	if (leftGlyph > MAX_KEPT_GLYPH || rightGlyph > MAX_KEPT_GLYPH || !fitsSlot(kerning.X) || !fitsSlot(kerning.Y))
		return;
	if (Slots.empty())
		Slots.assign(SLOTS, SSlot{EMPTY_KEY, 0, 0});
	const u32 key = keyOf(leftGlyph, rightGlyph);
	Slots[slotOf(key)] = SSlot{key, static_cast<s16>(kerning.X), static_cast<s16>(kerning.Y)};
}

} // namespace gui
} // namespace irr
