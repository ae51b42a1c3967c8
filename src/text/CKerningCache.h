#pragma once
// Pair kerning of one font as FreeType answered it. Text is laid out again
// for every draw, and asking FreeType for every pair costs more than the
// rest of the layout together. A table of fixed size whose pairs hash to
// buckets of two slots: a new pair takes the first slot, the pair there moves
// to the second and the one there is forgotten, so memory stays bounded
// whatever the text.

#include <vector>

#include <vector2d.h>

namespace irr {
namespace gui {

class CKerningCache
{
public:
	//! Slots of the table, taken on the first store.
	static constexpr u32 SLOTS = 1u << 14;
	static constexpr u32 BUCKET_SLOTS = 2;

	//! The kerning stored for the pair of glyph indices, false when none is.
	bool find(u32 leftGlyph, u32 rightGlyph, core::vector2di& kerning) const
	{
		if (Slots.empty() || leftGlyph > MAX_KEPT_GLYPH || rightGlyph > MAX_KEPT_GLYPH)
			return false;
		const u32 key = keyOf(leftGlyph, rightGlyph);
		const SSlot* bucket = &Slots[bucketOf(key)];
		for (u32 i = 0; i < BUCKET_SLOTS; ++i)
			if (bucket[i].Key == key)
			{
				kerning.set(bucket[i].X, bucket[i].Y);
				return true;
			}
		return false;
	}
	//! Keeps a pair's kerning; pairs of a glyph index past 16 bits, or of a
	//! kerning past 16 bits, are not kept.
	void store(u32 leftGlyph, u32 rightGlyph, const core::vector2di& kerning);

private:
	// 0xFFFF is no glyph index that is kept, so this key marks an empty slot.
	static constexpr u32 EMPTY_KEY = 0xFFFFFFFFu;
	static constexpr u32 MAX_KEPT_GLYPH = 0xFFFE;

	static u32 keyOf(u32 leftGlyph, u32 rightGlyph) { return leftGlyph << 16 | rightGlyph; }
	// The first slot of the key's bucket.
	static u32 bucketOf(u32 key)
	{
		// The glyphs of one script have neighbouring indices; a full mix of
		// the bits spreads their pairs as well as random keys would be.
		key ^= key >> 16;
		key *= 0x7FEB352Du;
		key ^= key >> 15;
		key *= 0x846CA68Bu;
		key ^= key >> 16;
		const u32 buckets = SLOTS / BUCKET_SLOTS;
		static_assert((buckets & (buckets - 1)) == 0, "a mask picks the bucket");
		return (key & (buckets - 1)) * BUCKET_SLOTS;
	}

	struct SSlot
	{
		u32 Key;
		s16 X;
		s16 Y;
	};
	std::vector<SSlot> Slots;
};

} // namespace gui
} // namespace irr
