// Debian builds the script engine with its debug checks, and one of them
// ends the process as soon as any of its reference counts passes a million:
// a script gets there with three arrays of handles to one object, or with a
// million small objects of one class, well within the script memory bound.
// The counter is 32 bits wide, and that bound keeps every count far below
// 2^31, so the engine's counter is defined here again without that check.
// The shared engine library calls it through its exported symbols, and the
// executable's definitions take their place; the constructor stays the
// library's. The layout is the engine's: one 32-bit count.

#include "script/bindings/ScriptReferenceCounts.h"

#include "script/bindings/ScriptMemory.h"

#include <angelscript.h>

#include <atomic>

namespace AngelScript {

class asCAtomic
{
public:
	asDWORD get() const;
	void set(asDWORD val);
	asDWORD atomicInc();
	asDWORD atomicDec();

protected:
	asDWORD value;
};

} // namespace AngelScript

namespace {

// Every reference a script holds takes at least a handle's bytes of script
// memory, so no count can come near the top of the counter's range.
static_assert(orv::script::SCRIPT_MEMORY_BYTES / sizeof(void*) < (1ull << 31),
	"the script memory bound keeps reference counts within 31 bits");

std::atomic<bool> counted{false};

} // namespace

namespace AngelScript {

asDWORD asCAtomic::get() const
{
	return value;
}

void asCAtomic::set(asDWORD val)
{
	value = val;
}

asDWORD asCAtomic::atomicInc()
{
	// Read first: a store on every reference taken would write the same
	// cache line from every count in the process.
	if (!counted.load(std::memory_order_relaxed))
		counted.store(true, std::memory_order_relaxed);
	return static_cast<asDWORD>(asAtomicInc(reinterpret_cast<int&>(value)));
}

asDWORD asCAtomic::atomicDec()
{
	return static_cast<asDWORD>(asAtomicDec(reinterpret_cast<int&>(value)));
}

} // namespace AngelScript

namespace orv::script {

bool scriptReferenceCountsAreUnchecked()
{
	return counted.load(std::memory_order_relaxed);
}

} // namespace orv::script
