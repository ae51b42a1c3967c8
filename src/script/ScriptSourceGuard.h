#pragma once
// Script code is checked here before AngelScript's compiler sees it, read by
// the engine's own tokenizer. The compiler recurses on the native stack
// through nested code, formats declarations and messages through a buffer
// that breaks at 1,023 characters, and spends time and memory faster than
// the text grows in several ways (see ScriptNestingCheck.h and
// ScriptOutline.h). Each bound below was found by building code of that
// shape at growing sizes (bench/script/bench_script_shapes.cpp) and is set
// where any code within all of them builds in well under half a second and
// 64 MiB; ordinary game code stays far below every one.

#include <cstddef>
#include <string>
#include <unordered_set>

#include <irrTypes.h>

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

//! Bytes of code in one section, which is one module's code. Ordinary code
//! builds at about 0.35 s and 16 MiB a MB; within the other bounds the
//! costliest shapes take up to 340 bytes of memory a byte of code (a
//! function of nothing but errors, or of `x += 1;`), so 160 KiB stay near
//! 55 MiB. A 5,000-line script of ordinary functions is 122 KB.
const std::size_t SCRIPT_MAX_SOURCE_BYTES = 160 * 1024;
//! Characters in a name. Longer type names fail an assertion in the
//! compiler (at 100), and names reach the compiler's formatted texts.
const std::size_t SCRIPT_MAX_NAME_LENGTH = 64;
//! Characters of a name with its scope (`a::b::c`), and of the names of
//! namespaces declared in one another together.
const irr::u32 SCRIPT_MAX_SCOPED_NAME = 128;
//! Levels of a type in templates and `[]` (array<array<int>> is 2): each
//! level costs the compiler about twice the one before.
const irr::u32 SCRIPT_MAX_TYPE_NESTING = 8;
//! What the compiler would write for one declaration or call, judged from
//! its parameters or arguments, the longest type the module can print and
//! its default arguments; its formatter breaks at 1,023 characters.
const irr::u32 SCRIPT_MAX_DECLARATION_TEXT = 960;
//! What the compiler does beyond the text, where a few lines may cost as
//! much as a whole module (defaults, initialisers tried again, what mixins
//! and constructors repeat): besides its own bound, at most 4096 tokens
//! (16 KiB) and 16 for each token (byte) of the code, so that small code
//! builds about as fast as its size says: a server's script packets are
//! weighed by their size.
const irr::u64 SCRIPT_BEYOND_TEXT_FLOOR = 4096;
const std::size_t SCRIPT_BEYOND_TEXT_BYTES_FLOOR = 16 * 1024;
const irr::u64 SCRIPT_BEYOND_TEXT_PER_TOKEN = 16;
//! Tokens of default arguments all calls of the module compile, those that
//! the defaults themselves call included, and how deep such calls go.
const irr::u64 SCRIPT_MAX_DEFAULT_EXPANSION = 65536;
const irr::u32 SCRIPT_MAX_DEFAULT_NESTING = 16;
//! Global variables whose initialisers name other globals are tried in
//! rounds until their order works out: the tokens of all initialisers for
//! each round after the first.
const irr::u64 SCRIPT_MAX_INITIALISER_ROUNDS = 65536;
//! What the compiler registers one by one, each time looking through those
//! it has (so time grows with the square of the count): functions of a
//! module (methods, accessors, imports and funcdefs among them), lambdas,
//! types, members of one class, variables of one function, cases of one
//! switch.
const irr::u32 SCRIPT_MAX_FUNCTIONS = 4096;
const irr::u32 SCRIPT_MAX_LAMBDAS = 1024;
const irr::u32 SCRIPT_MAX_TYPES = 1024;
const irr::u32 SCRIPT_MAX_CLASS_MEMBERS = 512;
const irr::u32 SCRIPT_MAX_LOCALS = 1024;
const irr::u32 SCRIPT_MAX_SWITCH_CASES = 512;
//! Statements (each `;`) and operators of a module: the compiler spends up
//! to 17 us on each (strings added or passed by value, a message for each
//! error), whatever functions they are in, so 20480 stay near 0.36 s. 160 KiB
//! of ordinary game code has about 15,000.
const irr::u32 SCRIPT_MAX_STATEMENTS_AND_OPERATORS = 20480;
//! Tokens of one function, and of a constructor with the member initialisers
//! it compiles: the compiler holds the whole function's parse and code as
//! it builds, up to 660 bytes and 7 us a token (`s = s + 1 + s;` of
//! strings), so 32768 tokens stay near 21 MiB and 0.22 s. A function of
//! 3,000 ordinary lines is about as long.
const irr::u32 SCRIPT_MAX_FUNCTION_TOKENS = 32768;
//! The compiler looks for where each loop, `return`, `break` and `continue`
//! jumps through the whole function, and each `if` or loop jumps over the
//! tokens it holds: over one function, its tokens times the first kind and
//! the tokens held by each of the second, at up to 27 ns a token. A
//! thousand `else if` stay at half of it.
const irr::u64 SCRIPT_MAX_JUMP_SEARCH = 1u << 23;
//! A derived class copies the members it inherits and looks through them
//! for each of its own: the members of each class with those it inherits,
//! squared and summed over the classes, at up to 35 ns each. A base of 200
//! members with 100 classes derived from it stays within.
const irr::u64 SCRIPT_MAX_INHERITED_MEMBERS = 1u << 22;
//! Accessors outside classes (functions declared `property`, those of
//! virtual properties): the compiler compares each with every function of
//! the module (1024 of them among 4096 functions add 0.16 s). A class's are
//! held by the bound on its members.
const irr::u32 SCRIPT_MAX_ACCESSORS = 512;
//! A function declared `shared` or `external` is looked for among every
//! script function the engine holds, of all modules (16 ns each): shared
//! functions times those functions, this module's included. 4096 shared
//! functions among 64,000 took 5.7 s.
const irr::u64 SCRIPT_MAX_SHARED_SEARCH = 1u << 23;
//! Classes and interfaces derived from one another: checking an interface
//! chain costs about its depth to the fourth power.
const irr::u32 SCRIPT_MAX_INHERITANCE = 64;
//! Every call is matched against each function of its name: calls times
//! overloads, over the module.
const irr::u64 SCRIPT_MAX_OVERLOAD_MATCHES = 262144;
//! Distinct template types (array<T>, T[]): each instance takes about 24 KB.
const irr::u32 SCRIPT_MAX_TEMPLATE_INSTANCES = 256;
//! Items of initialiser lists in a module, sub-lists included: an item of a
//! list of lists takes up to 2.6 KB as it builds.
const irr::u32 SCRIPT_MAX_LIST_ITEMS = 16384;
//! Namespaces one module declares, and all modules while the client runs:
//! the engine keeps each until it ends and finds one by its name by looking
//! through all it holds. Scoped names (`a::b`) and the names of code in
//! namespaces nested in another are looked up so, their count times the
//! namespaces held.
const irr::u32 SCRIPT_MAX_NAMESPACES = 256;
const irr::u32 SCRIPT_MAX_HELD_NAMESPACES = 4096;
//! Types (classes, interfaces, enums, typedefs) the code of all modules
//! declares together before one more module may build: each type a build
//! declares looks through every type the engine holds, and a module's
//! discard through them again, so builds and the close grow with the square
//! of the types held. Past this, with SCRIPT_MAX_TYPES more, the slowest
//! build measured (shared classes of other modules) takes about 0.4 s and
//! the close about 0.5 s; games declare some tens.
const irr::u32 SCRIPT_MAX_HELD_TYPES = 4096;
const irr::u64 SCRIPT_MAX_NAMESPACE_SEARCH = 1u << 19;

//! Brackets of every kind ((), [] and {}) nested deeper than this are refused.
const irr::u32 SCRIPT_MAX_NESTING = 256;
//! What the compiler recurses through at any point of the code: brackets,
//! statements in one another and the operators of the statements around.
const irr::u32 SCRIPT_MAX_STATEMENT_NESTING = 1024;
//! Operators in one statement, and `?` among them (each costs far more).
const irr::u32 SCRIPT_MAX_OPERATORS = 256;
const irr::u32 SCRIPT_MAX_CONDITIONALS = 64;

//! Why the code is refused before it compiles ("brackets nested deeper than
//! 256"), or empty for code within every bound. The engine's tokenizer reads
//! the code, and its registered types count among the module's.
//! `heldNamespaces`, when given, are the namespaces of the code accepted
//! before, which the engine holds: the code's own join them when it is
//! accepted.
std::string checkScriptSource(const AngelScript::asIScriptEngine* engine, const char* code, std::size_t length,
	std::unordered_set<std::string>* heldNamespaces = nullptr);

//! The deepest nesting of brackets in the code, not counting those inside
//! strings and comments.
irr::u32 measureBracketNesting(const AngelScript::asIScriptEngine* engine, const char* code, std::size_t length);

} // namespace orv::script
