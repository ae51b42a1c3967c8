#pragma once
// Script code is checked here before AngelScript's compiler sees it: the
// compiler recurses once for every level of nested brackets, and a few KB of
// "((((..." overflow the native stack.

#include <cstddef>

#include <irrTypes.h>

namespace orv::script {

//! Brackets of every kind ((), [] and {}) nested deeper than this are refused.
const irr::u32 SCRIPT_MAX_NESTING = 256;

//! The deepest nesting of brackets in the code, not counting those inside
//! strings and comments.
irr::u32 measureBracketNesting(const char* code, std::size_t length);

} // namespace orv::script
