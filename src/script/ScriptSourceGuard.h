#pragma once
// Script code is checked here before AngelScript's compiler sees it. The
// compiler recurses on the native stack once per level of nested brackets,
// of statements nested or chained in one another (`else if`, `if (c) if
// (c)`) and of operators in one expression (`a = a = ...`), so a few KB of
// such code overflow the stack; and its time grows much faster than the
// code for long expressions and chains of `?:`. Code past these bounds is
// refused; ordinary code stays far below them.

#include <cstddef>
#include <string>

#include <irrTypes.h>

namespace orv::script {

//! Brackets of every kind ((), [] and {}) nested deeper than this are refused.
const irr::u32 SCRIPT_MAX_NESTING = 256;
//! What the compiler recurses through at any point of the code: brackets,
//! statements in one another and the operators of the statements around.
const irr::u32 SCRIPT_MAX_STATEMENT_NESTING = 1024;
//! Operators in one statement, and `?` among them (each costs far more).
const irr::u32 SCRIPT_MAX_OPERATORS = 256;
const irr::u32 SCRIPT_MAX_CONDITIONALS = 64;

//! Why the code is refused before it compiles ("brackets nested deeper than
//! 256"), or empty for code within every bound. Strings and comments do not
//! count.
std::string checkScriptSource(const char* code, std::size_t length);

//! The deepest nesting of brackets in the code, not counting those inside
//! strings and comments.
irr::u32 measureBracketNesting(const char* code, std::size_t length);

} // namespace orv::script
