#pragma once

#include "base/ustring16.h"
#include "text/CStringTable.h"

namespace orv {

//! The id's text in the current language, or the id itself. Hand its c_str
//! straight to one Irrlicht call: the pointer lives as long as the statement.
inline irr::stringtable::CTranslationFormatter translated(const irr::core::ustring16& id)
{
	return irr::stringtable::CStringTable::translate(id);
}

} // namespace orv
