#pragma once

#include "base/ustring16.h"

namespace orv {

//! What a package says of itself in its "package.xml"; every text is empty
//! where the description says nothing.
struct SPackageInfo
{
	irr::core::ustring16 Name;
	irr::core::ustring16 Version;
	//! File names inside the package.
	irr::core::ustring16 LogoFile;
	irr::core::ustring16 Description;
	irr::core::ustring16 ObjectClassFile;
	irr::core::ustring16 ClientScriptFile;
};

} // namespace orv
