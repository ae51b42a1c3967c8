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
	bool find(u32 leftGlyph, u32 rightGlyph, core::vector2di& kerning) const;
	//! Keeps a pair's kerning; pairs of a glyph index past 16 bits, or of a
	//! kerning past 16 bits, are not kept.
	void store(u32 leftGlyph, u32 rightGlyph, const core::vector2di& kerning);

private:
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
