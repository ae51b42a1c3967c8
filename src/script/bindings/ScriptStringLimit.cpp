#include "script/bindings/ScriptStringLimit.h"

#include "script/bindings/GeometryRegistrar.h"

#include <algorithm>
#include <string>

namespace orv::script {

using irr::core::ustring16;

bool mayGrowString(const ustring16 &text, irr::u64 extraUnits)
{
	if (text.size_raw() + extraUnits <= MAX_SCRIPT_STRING_UNITS)
		return true;
	raiseScriptException("Too large string size");
	return false;
}

irr::u64 replacementGrowth(const ustring16 &text, const ustring16 &what, const ustring16 &with)
{
	if (what.size_raw() == 0 || with.size_raw() <= what.size_raw())
		return 0;
	// Occurrences as the replacement meets them: left to right, not overlapping.
	const std::u16string &units = text.toUTF16_std();
	const std::u16string &pattern = what.toUTF16_std();
	irr::u64 found = 0;
	for (auto at = units.begin();
		 (at = std::search(at, units.end(), pattern.begin(), pattern.end())) != units.end(); at += pattern.size())
		++found;
	return found * (with.size_raw() - what.size_raw());
}

} // namespace orv::script
