#include "script/bindings/ScriptCollector.h"

#include <angelscript.h>
#include <scriptarray.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orv::script {

using namespace AngelScript;

namespace {

// Collections this thread is inside. While one frees objects, one of them
// may be half destroyed (its count at zero, its members going) and a
// destructor run from it may reach the walk: the walk waits for the end.
int collectionsOpen = 0;

struct CCollecting
{
	CCollecting() { ++collectionsOpen; }
	~CCollecting() { --collectionsOpen; }
	CCollecting(const CCollecting&) = delete;
	CCollecting& operator=(const CCollecting&) = delete;
};

int garbageCollect(asIScriptEngine* engine, asDWORD flags, asUINT steps = 1)
{
	const CCollecting collecting;
	return engine->GarbageCollect(flags, steps);
}

asUINT collectedObjects(asIScriptEngine* engine)
{
	asUINT count = 0;
	engine->GetGCStatistics(&count);
	return count;
}

// The collector's steps of one search for circles are at most some four for
// each object it holds (one to count it, one to follow its references, one
// to take it for alive, one to break its circle), and a second look at what
// scripts touched meanwhile. A turn of the search begins wherever the last
// one stopped, and the walk's turn in between has touched every object it
// looked at, which makes the search in progress take them for alive: a turn
// is long enough for what is left of that search and a whole one after it.
const asUINT SEARCH_STEPS_PER_OBJECT = 10;

enum EHeldKind : irr::u8
{
	EHK_OTHER,
	EHK_SCRIPT_OBJECT,
	EHK_ARRAY
};

// A script object's member that may hold what the walk follows.
struct SLinkSlot
{
	asUINT Property;
	EHeldKind Kind;
	bool Handle;
};

struct STypeFacts
{
	EHeldKind Kind = EHK_OTHER;
	// No destructor of its own nor of a base class: freeing it runs no
	// script, so nothing sees its handles go early.
	bool Quiet = false;
	std::vector<SLinkSlot> Links;
};

class CGarbageWalk
{
public:
	explicit CGarbageWalk(asIScriptEngine* engine) : Engine(engine) {}

	// Looks at the collector's objects from `first` on, `count` of them,
	// for garbage to let go of. Returns the objects let go of.
	irr::u32 fromCollected(asUINT first, asUINT count)
	{
		void* object = nullptr;
		asITypeInfo* type = nullptr;
		for (asUINT index = first; index - first < count && Engine->GetObjectInGC(index, nullptr, &object, &type) >= 0;
			 ++index)
			if (object && type && isQuiet(type) && references(object, type) == 1)
				letGoFrom(object, type);
		return Released;
	}

private:
	static EHeldKind kindOf(asITypeInfo* type)
	{
		const asDWORD flags = type->GetFlags();
		if (flags & asOBJ_SCRIPT_OBJECT)
			return EHK_SCRIPT_OBJECT;
		if ((flags & asOBJ_TEMPLATE) && std::strcmp(type->GetName(), "array") == 0)
			return EHK_ARRAY;
		return EHK_OTHER;
	}

	EHeldKind kindOfId(int typeId) const
	{
		asITypeInfo* type = (typeId & asTYPEID_MASK_OBJECT) ? Engine->GetTypeInfoById(typeId) : nullptr;
		return type ? kindOf(type) : EHK_OTHER;
	}

	const STypeFacts& factsOf(asITypeInfo* type)
	{
		auto found = Types.find(type);
		if (found != Types.end())
			return found->second;
		STypeFacts facts;
		facts.Kind = kindOf(type);
		facts.Quiet = facts.Kind == EHK_ARRAY;
		if (facts.Kind == EHK_SCRIPT_OBJECT)
		{
			facts.Quiet = true;
			for (asITypeInfo* level = type; level && facts.Quiet; level = level->GetBaseType())
				for (asUINT index = 0; index < level->GetBehaviourCount(); ++index)
				{
					asEBehaviours behaviour;
					level->GetBehaviourByIndex(index, &behaviour);
					if (behaviour == asBEHAVE_DESTRUCT)
						facts.Quiet = false;
				}
			for (asUINT property = 0; property < type->GetPropertyCount(); ++property)
			{
				int typeId = 0;
				type->GetProperty(property, nullptr, &typeId);
				const EHeldKind kind = kindOfId(typeId);
				if (kind != EHK_OTHER)
					facts.Links.push_back({property, kind, (typeId & asTYPEID_OBJHANDLE) != 0});
			}
		}
		return Types.emplace(type, std::move(facts)).first->second;
	}

	bool isQuiet(asITypeInfo* type) { return factsOf(type).Quiet; }

	// What holds the object now. Only ever asked of objects no collection
	// is freeing (see collectionsOpen), whose count is above zero.
	static int references(void* object, asITypeInfo* type)
	{
		if (type->GetFlags() & asOBJ_SCRIPT_OBJECT)
		{
			const asIScriptObject* scriptObject = static_cast<asIScriptObject*>(object);
			const int count = scriptObject->AddRef() - 1;
			scriptObject->Release();
			return count;
		}
		return static_cast<CScriptArray*>(object)->GetRefCount();
	}

	static asITypeInfo* typeOf(void* object, EHeldKind kind)
	{
		return kind == EHK_SCRIPT_OBJECT ? static_cast<asIScriptObject*>(object)->GetObjectType()
										 : static_cast<CScriptArray*>(object)->GetArrayObjectType();
	}

	static bool collected(asITypeInfo* type) { return (type->GetFlags() & asOBJ_GC) != 0; }

	// An object that only the garbage being let go of, or the collector,
	// holds (`holders` references in all): its links go as well.
	void followIfOnlyHeldBy(void* object, asITypeInfo* type, int holders)
	{
		if (isQuiet(type) && references(object, type) == holders)
			Open.emplace_back(object, type);
	}

	// A handle of garbage: let go of when the collector holds its object as
	// well, so that letting go frees nothing now; followed when that leaves
	// the collector alone holding it.
	void letGoOfHandle(void** slot, EHeldKind kind)
	{
		void* held = *slot;
		if (!held)
			return;
		asITypeInfo* type = typeOf(held, kind);
		if (!collected(type))
		{
			followIfOnlyHeldBy(held, type, 1);
			return;
		}
		*slot = nullptr;
		Engine->ReleaseScriptObject(held, type);
		followIfOnlyHeldBy(held, type, 1);
	}

	// A member held by value: it stays, its own links may go.
	void followValue(void* held, EHeldKind kind)
	{
		if (!held)
			return;
		asITypeInfo* type = typeOf(held, kind);
		followIfOnlyHeldBy(held, type, collected(type) ? 2 : 1);
	}

	void letGoOfLinks(void* object, asITypeInfo* type)
	{
		const STypeFacts& facts = factsOf(type);
		if (facts.Kind == EHK_SCRIPT_OBJECT)
		{
			asIScriptObject* scriptObject = static_cast<asIScriptObject*>(object);
			for (const SLinkSlot& link : facts.Links)
			{
				void* address = scriptObject->GetAddressOfProperty(link.Property);
				if (link.Handle)
					letGoOfHandle(static_cast<void**>(address), link.Kind);
				else
					followValue(address, link.Kind);
			}
			return;
		}
		CScriptArray* array = static_cast<CScriptArray*>(object);
		const int elementId = array->GetElementTypeId();
		const EHeldKind kind = kindOfId(elementId);
		if (kind == EHK_OTHER)
			return;
		if (elementId & asTYPEID_OBJHANDLE)
		{
			for (asUINT index = 0; index < array->GetSize(); ++index)
				letGoOfHandle(static_cast<void**>(array->At(index)), kind);
			return;
		}
		// Elements held by value are all of the element type: when the
		// collector holds them, the array lets go of them all at once.
		asITypeInfo* elementType = Engine->GetTypeInfoById(elementId);
		if (!collected(elementType))
		{
			for (asUINT index = 0; index < array->GetSize(); ++index)
				followValue(array->At(index), kind);
			return;
		}
		Elements.clear();
		for (asUINT index = 0; index < array->GetSize(); ++index)
			Elements.push_back(array->At(index));
		array->Resize(0);
		for (void* element : Elements)
			followIfOnlyHeldBy(element, typeOf(element, kind), 1);
	}

	void letGoFrom(void* object, asITypeInfo* type)
	{
		Open.emplace_back(object, type);
		while (!Open.empty())
		{
			const std::pair<void*, asITypeInfo*> next = Open.back();
			Open.pop_back();
			++Released;
			letGoOfLinks(next.first, next.second);
		}
	}

	asIScriptEngine* Engine;
	std::unordered_map<asITypeInfo*, STypeFacts> Types;
	std::vector<std::pair<void*, asITypeInfo*>> Open;
	std::vector<void*> Elements;
	irr::u32 Released = 0;
};

// A weak reference could give a script back an object only the collector
// holds: with such a type registered, nothing is let go of early.
bool weakReferencesPossible(asIScriptEngine* engine)
{
	return engine->GetTypeInfoByName("weakref") || engine->GetTypeInfoByName("const_weakref");
}

irr::u32 releaseGarbageLinksOf(asIScriptEngine* engine, asUINT first, asUINT count)
{
	if (collectionsOpen > 0 || weakReferencesPossible(engine))
		return 0;
	return CGarbageWalk(engine).fromCollected(first, count);
}

} // namespace

irr::u32 releaseGarbageLinks(asIScriptEngine* engine)
{
	return releaseGarbageLinksOf(engine, 0, collectedObjects(engine));
}

namespace {

// Passes of the walk and the collector until a pass frees nothing (true) or
// the deadline is past (false).
bool freeInPasses(asIScriptEngine* engine, std::chrono::steady_clock::time_point deadline)
{
	for (;;)
	{
		releaseGarbageLinks(engine);
		const asUINT before = collectedObjects(engine);
		// One pass over all: what the walk reached goes in it, and a chain
		// of objects with destructors loses a link or more.
		garbageCollect(engine, asGC_ONE_STEP | asGC_DESTROY_GARBAGE, before + 2);
		const asUINT after = collectedObjects(engine);
		if (after == before || after == 0)
			return true;
		if (std::chrono::steady_clock::now() >= deadline)
			return false;
	}
}

} // namespace

bool collectScriptGarbage(asIScriptEngine* engine, std::chrono::steady_clock::time_point deadline)
{
	if (collectionsOpen > 0)
		return false;
	if (!freeInPasses(engine, deadline))
		return false;
	// Garbage in circles, and all that hangs from them, is found in one
	// search and let go of at once; what it let go of goes in the passes.
	garbageCollect(engine, asGC_FULL_CYCLE | asGC_DETECT_GARBAGE);
	return freeInPasses(engine, deadline);
}

void collectScriptGarbageInFrame(asIScriptEngine* engine, SFrameCollection& state)
{
	const asUINT held = collectedObjects(engine);
	if (held == 0 || collectionsOpen > 0)
		return;
	const asUINT share = std::max<asUINT>(SCRIPT_COLLECT_FRAME_STEPS, held / SCRIPT_COLLECT_FRAME_SHARE);
	if (state.SearchStepsLeft > 0)
	{
		// The search for circles takes objects that are touched while it
		// goes for alive, and the walk touches every object it looks at:
		// the two take turns.
		const asUINT steps = std::min<asUINT>(share, state.SearchStepsLeft);
		garbageCollect(engine, asGC_ONE_STEP, steps);
		state.SearchStepsLeft -= steps;
		return;
	}
	if (state.NextObject >= held)
		state.NextObject = 0;
	releaseGarbageLinksOf(engine, state.NextObject, share);
	state.NextObject += share;
	garbageCollect(engine, asGC_ONE_STEP | asGC_DESTROY_GARBAGE, share);
	if (state.NextObject >= held)
	{
		state.NextObject = 0;
		state.SearchStepsLeft = SEARCH_STEPS_PER_OBJECT * held + 64;
	}
}

void collectAllScriptGarbage(asIScriptEngine* engine)
{
	garbageCollect(engine, asGC_FULL_CYCLE);
}

void shutDownScriptEngine(asIScriptEngine* engine)
{
	const CCollecting collecting;
	engine->ShutDownAndRelease();
}

void releaseScriptObjectLinks(asIScriptEngine* engine)
{
	// Releasing a handle frees no object the collector holds (it keeps a
	// reference of its own), so its list stays as it is during the walk.
	void* object = nullptr;
	asITypeInfo* type = nullptr;
	for (asUINT index = 0; engine->GetObjectInGC(index, nullptr, &object, &type) >= 0; ++index)
	{
		if (!object || !type)
			continue;
		if (type->GetFlags() & asOBJ_SCRIPT_OBJECT)
		{
			asIScriptObject* scriptObject = static_cast<asIScriptObject*>(object);
			for (asUINT property = 0; property < scriptObject->GetPropertyCount(); ++property)
			{
				const int typeId = scriptObject->GetPropertyTypeId(property);
				if (!(typeId & asTYPEID_OBJHANDLE))
					continue;
				void** slot = static_cast<void**>(scriptObject->GetAddressOfProperty(property));
				if (!slot || !*slot)
					continue;
				void* held = *slot;
				*slot = nullptr;
				engine->ReleaseScriptObject(held, engine->GetTypeInfoById(typeId));
			}
		}
		else if (std::strcmp(type->GetName(), "array") == 0)
			static_cast<CScriptArray*>(object)->Resize(0);
	}
}

} // namespace orv::script
