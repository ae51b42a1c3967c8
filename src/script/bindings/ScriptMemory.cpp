#include "script/bindings/ScriptMemory.h"

#include "platform/HeapBlock.h"
#include "script/bindings/GeometryRegistrar.h"

#include <angelscript.h>
#include <scriptarray.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

namespace orv::script {

using namespace AngelScript;

const char* const SCRIPT_MEMORY_EXCEPTION = "Out of script memory: all scripts together hold 256 MiB at most";

namespace {

// Written by the engines' allocations on whatever thread makes them.
std::atomic<std::int64_t> engineBytes{0};
std::atomic<irr::u64> bound{SCRIPT_MEMORY_BYTES};

void* countedAllocate(size_t bytes)
{
	void* block = std::malloc(bytes);
	if (block)
		engineBytes.fetch_add(static_cast<std::int64_t>(platform::heapBlockBytes(block)), std::memory_order_relaxed);
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
	// Never destroyed: strings charged to it may outlive every script host.
	static MemoryAccount* account = new MemoryAccount(0);
	return *account;
}

irr::u64 scriptMemoryInUse()
{
	const std::int64_t total = engineBytes.load(std::memory_order_relaxed) +
		scriptStringAccount().load(std::memory_order_relaxed);
	return total > 0 ? static_cast<irr::u64>(total) : 0;
}

irr::u64 scriptMemoryBound()
{
	return bound.load(std::memory_order_relaxed);
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

bool scriptMemorySpent()
{
	return scriptMemoryInUse() > scriptMemoryBound();
}

bool isScriptMemoryException(const char* text)
{
	return text && (std::strcmp(text, SCRIPT_MEMORY_EXCEPTION) == 0 || std::strcmp(text, "Out of memory") == 0);
}

} // namespace orv::script
