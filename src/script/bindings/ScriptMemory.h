#pragma once
// The one bound on what all scripts of the client hold together. The script
// engine's own allocations (script objects, contexts, compiled code), arrays
// and the units of script strings are counted here; the natives that grow
// an array or a string ask before they do, and a run that goes past the
// bound ends at its next loop or call. The objects the engine's collector
// holds are bounded in number as well, since what collecting them costs
// grows faster than their count.

#include <irrTypes.h>

#include <atomic>
#include <cstdint>

#include "base/MemoryAccount.h"

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

//! What all scripts may hold together: four of the largest arrays, eight of
//! the longest strings, some hundred times what a game's scripts hold, and
//! little enough that the client stays well within a desktop's memory
//! whatever its scripts do.
const irr::u64 SCRIPT_MEMORY_BYTES = 256ull << 20;

//! The exception a script meets once the bound is reached.
extern const char* const SCRIPT_MEMORY_EXCEPTION;

//! Script objects the engine's collector may hold for all scripts together
//! (instances of classes that can hold one another, arrays of them): a
//! path-finding graph of 100 x 100 nodes and their lists of neighbours
//! several times over. The collector frees a chain one link per pass over
//! all it holds, so the links of garbage no destructor can see are let go
//! of first (script/bindings/ScriptCollector.h): a chain of any order then
//! goes in one pass (bench/script/bench_script_gc).
const irr::u32 SCRIPT_MAX_COLLECTED_OBJECTS = 65536;
//! What the collection a script meets at that bound may take; a chain of
//! objects with destructors that it has not freed by then goes in the next
//! frames.
const irr::u32 SCRIPT_COLLECT_AT_BOUND_MS = 20;
//! The exception a script meets once the collector holds that many and a
//! collection frees too few.
extern const char* const SCRIPT_OBJECTS_EXCEPTION;

//! Counts every allocation of the script engines and of the array add-on
//! from now on. Runs before the first engine is made; later calls do nothing.
void installScriptMemoryMeter();

//! What script strings are charged to while a script runs or builds.
MemoryAccount& scriptStringAccount();

namespace detail {
// What scriptMemorySpent reads: every line a script runs asks it.
extern std::atomic<std::int64_t> engineBytes;
extern std::atomic<irr::u64> bound;
extern MemoryAccount stringBytes;
} // namespace detail

//! Bytes held by scripts now.
inline irr::u64 scriptMemoryInUse()
{
	const std::int64_t total = detail::engineBytes.load(std::memory_order_relaxed) +
		detail::stringBytes.load(std::memory_order_relaxed);
	return total > 0 ? static_cast<irr::u64>(total) : 0;
}
inline irr::u64 scriptMemoryBound()
{
	return detail::bound.load(std::memory_order_relaxed);
}
//! For tests that reach the bound quickly; 0 restores SCRIPT_MEMORY_BYTES.
void setScriptMemoryBound(irr::u64 bytes);

//! Whether `bytes` more fit; if not, raises SCRIPT_MEMORY_EXCEPTION in the
//! running script.
bool mayTakeScriptMemory(irr::u64 bytes);
//! The scripts hold more than the bound.
inline bool scriptMemorySpent()
{
	return scriptMemoryInUse() > scriptMemoryBound();
}
//! Where the running script was when the bound was last met, for a report
//! of an exception raised where the engine keeps no line (inside a native
//! it called itself, or the line callback). Null section when unknown.
void noteScriptMemoryRefusal();
const char* lastScriptMemoryRefusal(int& row, int& column);

//! Whether `count` more objects of that type id may be made for the
//! collector to hold; if not (after a collection), raises
//! SCRIPT_OBJECTS_EXCEPTION in the running script. Types the collector
//! does not hold always may.
bool mayCollectScriptObjects(AngelScript::asIScriptEngine* engine, int typeId, irr::u64 count);
namespace detail {
// Every object the collector holds is an allocation of the engine's: the
// collector is asked only once this many bytes were allocated since.
const irr::u64 COLLECTED_CHECK_BYTES = 16u << 10;
extern std::atomic<irr::u64> allocatedBytes;
extern irr::u64 allocatedAtCheck;
bool collectedScriptObjectsOver(AngelScript::asIScriptEngine* engine);
} // namespace detail

//! The collector holds more than SCRIPT_MAX_COLLECTED_OBJECTS, and a
//! collection did not bring it back well under: the running script is to
//! end. Asked on every line a script runs, so it asks the collector only
//! after some hundred objects' worth of allocations.
inline bool collectedScriptObjectsSpent(AngelScript::asIScriptEngine* engine)
{
	if (detail::allocatedBytes.load(std::memory_order_relaxed) - detail::allocatedAtCheck <
		detail::COLLECTED_CHECK_BYTES)
		return false;
	return detail::collectedScriptObjectsOver(engine);
}
//! For tests that reach the bound quickly; 0 restores SCRIPT_MAX_COLLECTED_OBJECTS.
void setCollectedScriptObjectsBound(irr::u32 objects);

//! Whether an exception text is one of the two bounds' (or the array
//! add-on's own out-of-memory, which a refused allocation inside it raises).
bool isScriptMemoryException(const char* text);

} // namespace orv::script
