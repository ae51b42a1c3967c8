#include "script/bindings/ScriptStringLimit.h"

#include "script/bindings/GeometryRegistrar.h"
#include "script/bindings/ScriptMemory.h"

namespace orv::script {

using irr::core::ustring16;

bool mayGrowString(const ustring16& text, irr::u64 extraUnits)
{
	if (text.size_raw() + extraUnits > MAX_SCRIPT_STRING_UNITS)
	{
		raiseScriptException("Too large string size");
		return false;
	}
	return mayTakeScriptMemory(extraUnits * sizeof(irr::core::uchar16_t));
}

irr::u64 replacementGrowth(const ustring16& text, const ustring16& what, const ustring16& with)
{
	if (with.size_raw() <= what.size_raw())
		return 0;
	return irr::u64(text.count(what)) * (with.size_raw() - what.size_raw());
}

} // namespace orv::script
