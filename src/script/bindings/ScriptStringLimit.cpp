#include "script/bindings/ScriptStringLimit.h"

#include "script/bindings/GeometryRegistrar.h"

namespace orv::script {

using irr::core::ustring16;

bool mayGrowString(const ustring16& text, irr::u64 extraUnits)
{
	if (text.size_raw() + extraUnits <= MAX_SCRIPT_STRING_UNITS)
		return true;
	raiseScriptException("Too large string size");
	return false;
}

irr::u64 replacementGrowth(const ustring16& text, const ustring16& what, const ustring16& with)
{
	if (with.size_raw() <= what.size_raw())
		return 0;
	return irr::u64(text.count(what)) * (with.size_raw() - what.size_raw());
}

} // namespace orv::script
