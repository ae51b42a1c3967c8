#pragma once
// The one bound on what all scripts of the client hold together. The script
// engine's own allocations (script objects, contexts, compiled code), arrays
// and the units of script strings are counted here; the natives that grow
// an array or a string ask before they do, and a run that goes past the
// bound ends at its next loop or call.

#include <irrTypes.h>

#include "base/MemoryAccount.h"

namespace orv::script {

//! What all scripts may hold together: four of the largest arrays, eight of
//! the longest strings, some hundred times what a game's scripts hold, and
//! little enough that the client stays well within a desktop's memory
//! whatever its scripts do.
const irr::u64 SCRIPT_MEMORY_BYTES = 256ull << 20;

//! The exception a script meets once the bound is reached.
extern const char* const SCRIPT_MEMORY_EXCEPTION;

//! Counts every allocation of the script engines and of the array add-on
//! from now on. Runs before the first engine is made; later calls do nothing.
void installScriptMemoryMeter();

//! What script strings are charged to while a script runs or builds.
MemoryAccount& scriptStringAccount();

//! Bytes held by scripts now.
irr::u64 scriptMemoryInUse();
irr::u64 scriptMemoryBound();
//! For tests that reach the bound quickly; 0 restores SCRIPT_MEMORY_BYTES.
void setScriptMemoryBound(irr::u64 bytes);

//! Whether `bytes` more fit; if not, raises SCRIPT_MEMORY_EXCEPTION in the
//! running script.
bool mayTakeScriptMemory(irr::u64 bytes);
//! The scripts hold more than the bound.
bool scriptMemorySpent();
//! Where the running script was when the bound was last met, for a report
//! of an exception raised where the engine keeps no line (inside a native
//! it called itself, or the line callback). Null section when unknown.
void noteScriptMemoryRefusal();
const char* lastScriptMemoryRefusal(int& row, int& column);

//! Whether an exception text is the bound's (or the array add-on's own
//! out-of-memory, which a refused allocation inside it raises).
bool isScriptMemoryException(const char* text);

} // namespace orv::script
