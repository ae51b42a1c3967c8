#pragma once
// How long a script string may grow. Joining a string to itself doubles it
// in one native call, so a few dozen calls would otherwise ask for gigabytes
// and spend seconds copying them where no script budget can stop them.

#include "base/ustring16.h"

namespace orv::script {

//! The most UTF-16 code units (32 MiB) a script string may hold.
const irr::u32 MAX_SCRIPT_STRING_UNITS = irr::core::ustring16::MAX_RESERVE;

//! Whether `text` may take `extraUnits` more; if not, raises "Too large
//! string size" in the running script, or the scripts' out-of-memory
//! exception when all scripts together would hold too much.
bool mayGrowString(const irr::core::ustring16& text, irr::u64 extraUnits);

//! The code units replacing every `what` in `text` by `with` adds.
irr::u64 replacementGrowth(
	const irr::core::ustring16& text, const irr::core::ustring16& what, const irr::core::ustring16& with);

} // namespace orv::script
