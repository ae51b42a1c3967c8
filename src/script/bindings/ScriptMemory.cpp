#include "script/bindings/ScriptMemory.h"

#include "platform/HeapBlock.h"
#include "script/bindings/GeometryRegistrar.h"
#include "script/bindings/ScriptCollector.h"

#include <angelscript.h>
#include <scriptarray.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

namespace orv::script {

using namespace AngelScript;

const char* const SCRIPT_MEMORY_EXCEPTION = "Out of script memory: all scripts together hold 256 MiB at most";
const char* const SCRIPT_OBJECTS_EXCEPTION =
	"Out of script objects: all scripts together hold 65536 objects that can hold one another at most";

namespace detail {

// Written by the engines' allocations on whatever thread makes them.
std::atomic<std::int64_t> engineBytes{0};
std::atomic<irr::u64> bound{SCRIPT_MEMORY_BYTES};
// Constant-initialised and trivially destroyed: strings charged to it may
// outlive every script host, and it stays valid for them.
MemoryAccount stringBytes{0};
// Only ever grows: a freed block does not hide the next one made.
std::atomic<irr::u64> allocatedBytes{0};
// Read and written on the thread that runs scripts.
irr::u64 allocatedAtCheck = 0;
static_assert(std::is_trivially_destructible<MemoryAccount>::value, "the string account outlives its own destruction");

} // namespace detail

namespace {

using detail::bound;
using detail::engineBytes;

void* countedAllocate(size_t bytes)
{
	void* block = std::malloc(bytes);
	if (block)
	{
		const size_t held = platform::heapBlockBytes(block);
		engineBytes.fetch_add(static_cast<std::int64_t>(held), std::memory_order_relaxed);
		detail::allocatedBytes.fetch_add(held, std::memory_order_relaxed);
	}
	return block;
}

void countedFree(void* block)
{
	if (!block)
		return;
	engineBytes.fetch_sub(static_cast<std::int64_t>(platform::heapBlockBytes(block)), std::memory_order_relaxed);
	std::free(block);
}

// The array add-on lets a refused allocation fail: it raises an exception
// and leaves the array as it was, where the engine itself could not.
void* arrayAllocate(size_t bytes)
{
	if (scriptMemoryInUse() + bytes > scriptMemoryBound())
	{
		mayTakeScriptMemory(bytes);
		return nullptr;
	}
	return countedAllocate(bytes);
}

} // namespace

void installScriptMemoryMeter()
{
	static const bool installed = [] {
		asSetGlobalMemoryFunctions(countedAllocate, countedFree);
		CScriptArray::SetMemoryFunctions(arrayAllocate, countedFree);
		return true;
	}();
	(void)installed;
}

MemoryAccount& scriptStringAccount()
{
	return detail::stringBytes;
}

void setScriptMemoryBound(irr::u64 bytes)
{
	bound.store(bytes ? bytes : SCRIPT_MEMORY_BYTES, std::memory_order_relaxed);
}

struct SRefusalPlace
{
	std::string Section;
	int Row = 0;
	int Column = 0;
};

SRefusalPlace& refusalPlace()
{
	static SRefusalPlace place;
	return place;
}

void noteScriptMemoryRefusal()
{
	SRefusalPlace& place = refusalPlace();
	place = SRefusalPlace();
	asIScriptContext* context = asGetActiveContext();
	if (!context)
		return;
	// Code the compiler made itself (a member's initialiser) has no line:
	// the nearest caller that has one says where.
	for (asUINT level = 0; level < context->GetCallstackSize() && place.Row <= 0; ++level)
	{
		const char* section = nullptr;
		place.Row = context->GetLineNumber(level, &place.Column, &section);
		place.Section = section ? section : "";
	}
}

const char* lastScriptMemoryRefusal(int& row, int& column)
{
	const SRefusalPlace& place = refusalPlace();
	row = place.Row;
	column = place.Column;
	return place.Row > 0 ? place.Section.c_str() : nullptr;
}

bool mayTakeScriptMemory(irr::u64 bytes)
{
	if (scriptMemoryInUse() + bytes <= scriptMemoryBound())
		return true;
	noteScriptMemoryRefusal();
	raiseScriptException(SCRIPT_MEMORY_EXCEPTION);
	return false;
}

namespace {

std::atomic<irr::u32> collectedBound{SCRIPT_MAX_COLLECTED_OBJECTS};

asUINT collectedObjects(asIScriptEngine* engine)
{
	asUINT count = 0;
	engine->GetGCStatistics(&count);
	return count;
}

// Whether `count` more fit once garbage not collected yet is gone. The
// collection has a deadline of its own; after one, the objects must be well
// under the bound, so that a script that keeps near it does not make every
// line collect.
bool collectFor(asIScriptEngine* engine, irr::u64 count)
{
	const irr::u64 limit = collectedBound.load(std::memory_order_relaxed);
	if (collectedObjects(engine) + count <= limit)
		return true;
	collectScriptGarbage(
		engine, std::chrono::steady_clock::now() + std::chrono::milliseconds(SCRIPT_COLLECT_AT_BOUND_MS));
	return collectedObjects(engine) + count <= limit - limit / 8;
}

} // namespace

bool mayCollectScriptObjects(asIScriptEngine* engine, int typeId, irr::u64 count)
{
	asITypeInfo* type = count ? engine->GetTypeInfoById(typeId) : nullptr;
	if (!type || (typeId & asTYPEID_OBJHANDLE) || !(type->GetFlags() & asOBJ_GC) || collectFor(engine, count))
		return true;
	noteScriptMemoryRefusal();
	raiseScriptException(SCRIPT_OBJECTS_EXCEPTION);
	return false;
}

bool detail::collectedScriptObjectsOver(asIScriptEngine* engine)
{
	allocatedAtCheck = allocatedBytes.load(std::memory_order_relaxed);
	return collectedObjects(engine) > collectedBound.load(std::memory_order_relaxed) && !collectFor(engine, 0);
}

void setCollectedScriptObjectsBound(irr::u32 objects)
{
	collectedBound.store(objects ? objects : SCRIPT_MAX_COLLECTED_OBJECTS, std::memory_order_relaxed);
}

bool isScriptMemoryException(const char* text)
{
	return text &&
		(std::strcmp(text, SCRIPT_MEMORY_EXCEPTION) == 0 || std::strcmp(text, SCRIPT_OBJECTS_EXCEPTION) == 0 ||
			std::strcmp(text, "Out of memory") == 0);
}

} // namespace orv::script
