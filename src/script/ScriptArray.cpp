#include "script/ScriptArray.h"

#include "script/RegistrationSwap.h"
#include "script/ScriptArraySort.h"
#include "script/bindings/GeometryRegistrar.h"
#include "script/bindings/ScriptMemory.h"

#include <algorithm>

#include <scriptarray.h>

namespace orv::script {

using namespace AngelScript;

namespace {

const char* const ARRAY = "array<T>";

const char* const IN_USE = "The array cannot change while a call on it runs a script";

// The arrays natives are using, innermost last; a few at most.
std::vector<const CScriptArray*> arraysInUse;
// Counts the changes refused. The add-on's searches and comparisons drop an
// exception raised in the callback; the refusal is raised again once they return.
irr::u64 refusals = 0;

// Raises the refusal on the caller when a callback of `native` met one.
template <typename Native> void raisingRefusals(Native&& native)
{
	const irr::u64 before = refusals;
	native();
	if (refusals != before)
		raiseScriptException(IN_USE);
}

// Whether an array of this element type may hold `count` elements. Handles
// count as pointers; objects are also bounded in number, each being built.
bool mayHold(asIScriptEngine* engine, int elementTypeId, asQWORD count, bool constructsElements = true)
{
	const bool isObject = (elementTypeId & asTYPEID_MASK_OBJECT) != 0;
	const bool isHandle = (elementTypeId & asTYPEID_OBJHANDLE) != 0;
	if (isObject && !isHandle && constructsElements && count > MAX_SCRIPT_ARRAY_OBJECTS)
		return false;
	return count * scriptArrayElementBytes(engine, elementTypeId) <= MAX_SCRIPT_ARRAY_BYTES;
}

// Growing to `count` elements, within the array's bound and what all
// scripts may hold; the exception says which one is reached.
bool mayHold(const CScriptArray& array, asQWORD count, bool constructsElements = true)
{
	asIScriptEngine* engine = array.GetArrayObjectType()->GetEngine();
	if (!mayHold(engine, array.GetElementTypeId(), count, constructsElements))
	{
		raiseScriptException("Too large array size");
		return false;
	}
	const asQWORD size = array.GetSize();
	return count <= size ||
		(mayTakeScriptMemory((count - size) * scriptArrayElementBytes(engine, array.GetElementTypeId())) &&
			(!constructsElements || mayCollectScriptObjects(engine, array.GetElementTypeId(), count - size)));
}

// Changes the array, which no native may be using; the change itself may
// run scripts (elements' constructors, destructors, opAssign).
bool mayChange(CScriptArray& array)
{
	return !refuseWhileInUse(array);
}

CScriptArray* self(asIScriptGeneric* call)
{
	return static_cast<CScriptArray*>(call->GetObject());
}

// The factories take the array's type first, as every template factory does.
CScriptArray* createIfItFits(asITypeInfo* type, asUINT length, void* value)
{
	if (!mayHold(type->GetEngine(), type->GetSubTypeId(), length))
	{
		raiseScriptException("Too large array size");
		return nullptr;
	}
	if (!mayTakeScriptMemory(asQWORD(length) * scriptArrayElementBytes(type->GetEngine(), type->GetSubTypeId())) ||
		!mayCollectScriptObjects(type->GetEngine(), type->GetSubTypeId(), length))
		return nullptr;
	return value ? CScriptArray::Create(type, length, value) : CScriptArray::Create(type, length);
}

void createOfLength(asIScriptGeneric* call)
{
	*static_cast<CScriptArray**>(call->GetAddressOfReturnLocation()) = createIfItFits(
		static_cast<asITypeInfo*>(call->GetArgAddress(0)), call->GetArgDWord(1), nullptr);
}

void createFilled(asIScriptGeneric* call)
{
	*static_cast<CScriptArray**>(call->GetAddressOfReturnLocation()) = createIfItFits(
		static_cast<asITypeInfo*>(call->GetArgAddress(0)), call->GetArgDWord(1), call->GetArgAddress(2));
}

void resize(asIScriptGeneric* call)
{
	if (!mayChange(*self(call)) || !mayHold(*self(call), call->GetArgDWord(0)))
		return;
	const CScriptArrayInUse use(self(call));
	self(call)->Resize(call->GetArgDWord(0));
}

void reserve(asIScriptGeneric* call)
{
	if (!mayChange(*self(call)) || !mayHold(*self(call), call->GetArgDWord(0), false))
		return;
	const CScriptArrayInUse use(self(call));
	self(call)->Reserve(call->GetArgDWord(0));
}

void insertValueAt(asIScriptGeneric* call)
{
	if (!mayChange(*self(call)) || !mayHold(*self(call), asQWORD(self(call)->GetSize()) + 1))
		return;
	const CScriptArrayInUse use(self(call));
	self(call)->InsertAt(call->GetArgDWord(0), call->GetArgAddress(1));
}

void insertArrayAt(asIScriptGeneric* call)
{
	CScriptArray& other = *static_cast<CScriptArray*>(call->GetArgAddress(1));
	if (!mayChange(*self(call)) || !mayHold(*self(call), asQWORD(self(call)->GetSize()) + other.GetSize()))
		return;
	const CScriptArrayInUse use(self(call));
	const CScriptArrayInUse useOther(&other);
	self(call)->InsertAt(call->GetArgDWord(0), other);
}

void insertLast(asIScriptGeneric* call)
{
	if (!mayChange(*self(call)) || !mayHold(*self(call), asQWORD(self(call)->GetSize()) + 1))
		return;
	const CScriptArrayInUse use(self(call));
	self(call)->InsertLast(call->GetArgAddress(0));
}

void removeAt(asIScriptGeneric* call)
{
	if (!mayChange(*self(call)))
		return;
	const CScriptArrayInUse use(self(call));
	self(call)->RemoveAt(call->GetArgDWord(0));
}

void removeLast(asIScriptGeneric* call)
{
	if (!mayChange(*self(call)))
		return;
	const CScriptArrayInUse use(self(call));
	self(call)->RemoveLast();
}

void removeRange(asIScriptGeneric* call)
{
	if (!mayChange(*self(call)))
		return;
	const CScriptArrayInUse use(self(call));
	self(call)->RemoveRange(call->GetArgDWord(0), call->GetArgDWord(1));
}

void assign(asIScriptGeneric* call)
{
	CScriptArray& other = *static_cast<CScriptArray*>(call->GetArgAddress(0));
	*static_cast<CScriptArray**>(call->GetAddressOfReturnLocation()) = self(call);
	if (&other == self(call) || !mayChange(*self(call)) || !mayHold(*self(call), other.GetSize()))
		return;
	const CScriptArrayInUse use(self(call));
	const CScriptArrayInUse useOther(&other);
	*self(call) = other;
}

void findValue(asIScriptGeneric* call)
{
	const CScriptArrayInUse use(self(call), true);
	raisingRefusals([call] { call->SetReturnDWord(static_cast<asDWORD>(self(call)->Find(call->GetArgAddress(0)))); });
}

void findValueFrom(asIScriptGeneric* call)
{
	const CScriptArrayInUse use(self(call), true);
	raisingRefusals([call] {
		call->SetReturnDWord(static_cast<asDWORD>(self(call)->Find(call->GetArgDWord(0), call->GetArgAddress(1))));
	});
}

void equals(asIScriptGeneric* call)
{
	CScriptArray& other = *static_cast<CScriptArray*>(call->GetArgAddress(0));
	const CScriptArrayInUse use(self(call), true);
	const CScriptArrayInUse useOther(&other, true);
	raisingRefusals([&] { call->SetReturnByte(*self(call) == other ? 1 : 0); });
}

void sortAscending(asIScriptGeneric* call)
{
	if (mayChange(*self(call)))
		sortArray(self(call), 0, self(call)->GetSize(), true);
}

void sortDescending(asIScriptGeneric* call)
{
	if (mayChange(*self(call)))
		sortArray(self(call), 0, self(call)->GetSize(), false);
}

void sortRangeAscending(asIScriptGeneric* call)
{
	if (mayChange(*self(call)))
		sortArray(self(call), call->GetArgDWord(0), call->GetArgDWord(1), true);
}

void sortRangeDescending(asIScriptGeneric* call)
{
	if (mayChange(*self(call)))
		sortArray(self(call), call->GetArgDWord(0), call->GetArgDWord(1), false);
}

void sortWithLess(asIScriptGeneric* call)
{
	if (mayChange(*self(call)))
		sortArrayWith(self(call), static_cast<asIScriptFunction*>(call->GetArgAddress(0)), call->GetArgDWord(1),
			call->GetArgDWord(2));
}

SRegistrationSwap method(const char* name, int parameterCount, asGENFUNC_t replacement, const char* holds = nullptr)
{
	return {ARRAY, name, asBEHAVE_FACTORY, parameterCount, holds, replacement};
}

SRegistrationSwap factory(int parameterCount, asGENFUNC_t replacement)
{
	return {ARRAY, nullptr, asBEHAVE_FACTORY, parameterCount, nullptr, replacement};
}

} // namespace

CScriptArrayInUse::CScriptArrayInUse(CScriptArray* array, bool holdElements) : Array(array)
{
	Array->AddRef();
	arraysInUse.push_back(Array);
	if (!holdElements || (Array->GetElementTypeId() & asTYPEID_OBJHANDLE) == 0)
		return;
	HandleType = Array->GetArrayObjectType()->GetSubType();
	asIScriptEngine* engine = Array->GetArrayObjectType()->GetEngine();
	Held.reserve(Array->GetSize());
	for (asUINT i = 0; i < Array->GetSize(); ++i)
	{
		void* object = *static_cast<void**>(Array->At(i));
		if (!object)
			continue;
		engine->AddRefScriptObject(object, HandleType);
		Held.push_back(object);
	}
}

CScriptArrayInUse::~CScriptArrayInUse()
{
	asIScriptEngine* engine = Array->GetArrayObjectType()->GetEngine();
	for (void* object : Held)
		engine->ReleaseScriptObject(object, HandleType);
	const auto at = std::find(arraysInUse.rbegin(), arraysInUse.rend(), Array);
	if (at != arraysInUse.rend())
		arraysInUse.erase(std::next(at).base());
	Array->Release();
}

bool refuseWhileInUse(const CScriptArray& array)
{
	if (std::find(arraysInUse.begin(), arraysInUse.end(), &array) == arraysInUse.end())
		return false;
	++refusals;
	raiseScriptException(IN_USE);
	return true;
}

asUINT scriptArrayElementBytes(asIScriptEngine* engine, int elementTypeId)
{
	if (elementTypeId & asTYPEID_MASK_OBJECT)
		return sizeof(void*);
	return static_cast<asUINT>(engine->GetSizeOfPrimitiveType(elementTypeId));
}

int registerScriptArray(asIScriptEngine* engine)
{
	const std::vector<SRegistrationSwap> swaps = {
		factory(2, createOfLength),
		factory(3, createFilled),
		method("resize", 1, resize),
		method("reserve", 1, reserve),
		method("insertAt", 2, insertValueAt, "const T"),
		method("insertAt", 2, insertArrayAt, "array<T>"),
		method("insertLast", 1, insertLast),
		method("removeAt", 1, removeAt),
		method("removeLast", 0, removeLast),
		method("removeRange", 2, removeRange),
		method("opAssign", 1, assign),
		method("find", 1, findValue),
		method("find", 2, findValueFrom),
		method("opEquals", 1, equals),
		method("sortAsc", 0, sortAscending),
		method("sortDesc", 0, sortDescending),
		method("sortAsc", 2, sortRangeAscending),
		method("sortDesc", 2, sortRangeDescending),
		method("sort", 3, sortWithLess),
	};
	const std::vector<SRegistrationSwap> unused = registerWithSwaps(
		engine, [](asIScriptEngine* filtered) { RegisterScriptArray(filtered, false); }, swaps);
	return static_cast<int>(unused.size());
}

} // namespace orv::script
