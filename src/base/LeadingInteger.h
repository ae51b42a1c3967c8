#pragma once

#include <cstddef>

#include <irrTypes.h>

#include "base/ustring16.h"

namespace orv {

//! The integer a text begins with, read like atoi: leading white space, an
//! optional sign, then decimal digits; 0 when there are none. Digits beyond
//! the 32-bit range saturate at its bounds instead of wrapping.
irr::s32 readLeadingInteger(const char* text, size_t length);
irr::s32 readLeadingInteger(const irr::core::ustring16& text);

} // namespace orv
