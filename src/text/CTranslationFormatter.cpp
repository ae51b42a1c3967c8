#include "text/CTranslationFormatter.h"

namespace irr {
namespace stringtable {

CTranslationFormatter::CTranslationFormatter(const core::ustring16& text) : CTranslationFormatter(text, "{{%", "}}")
{
}

CTranslationFormatter::CTranslationFormatter(
	const core::ustring16& text, const core::ustring16& placeholderOpener, const core::ustring16& placeholderCloser)
	: Text(text)
	, PlaceholderOpener(placeholderOpener)
	, PlaceholderCloser(placeholderCloser)
{
}

const wchar_t* CTranslationFormatter::c_str()
{
	RingIndex = (RingIndex + 1) % RING_SIZE;
	Ring[RingIndex] = Text.toWCHAR_s();
	return Ring[RingIndex].c_str();
}

} // namespace stringtable
} // namespace irr
