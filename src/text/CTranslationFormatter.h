#pragma once
// A translated text on its way into an Irrlicht GUI call. The GUI wants wide
// characters; the formatter converts on demand into a ring of buffers, so
// several pointers taken from one formatter stay valid side by side.

#include <irrString.h>
#include <irrTypes.h>

#include "base/ustring16.h"

namespace irr {
namespace stringtable {

class CTranslationFormatter
{
public:
	//! How many pointers from `c_str` are valid at once.
	static constexpr u32 RING_SIZE = 8;

	//! The text with the placeholders "{{%" and "}}".
	explicit CTranslationFormatter(const core::ustring16& text);
	CTranslationFormatter(const core::ustring16& text, const core::ustring16& placeholderOpener,
		const core::ustring16& placeholderCloser);

	//! The text as wide characters (code points, wchar_t being 32 bits here).
	//! Valid until this formatter has handed out RING_SIZE further pointers or
	//! is destroyed: take it from a temporary only within one statement.
	const wchar_t* c_str();

	const core::ustring16& getText() const { return Text; }
	const core::ustring16& getPlaceholderOpener() const { return PlaceholderOpener; }
	const core::ustring16& getPlaceholderCloser() const { return PlaceholderCloser; }

private:
	u32 RingIndex = 0;
	core::stringw Ring[RING_SIZE];
	core::ustring16 Text;
	// Carried as data only: nothing substitutes placeholders.
	core::ustring16 PlaceholderOpener;
	core::ustring16 PlaceholderCloser;
};

} // namespace stringtable
} // namespace irr
