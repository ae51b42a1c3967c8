#include "script/ScriptArray.h"

#include "script/RegistrationSwap.h"
#include "script/ScriptArraySort.h"
#include "script/bindings/GeometryRegistrar.h"

#include <scriptarray.h>

namespace orv::script {

using namespace AngelScript;

namespace {

const char* const ARRAY = "array<T>";

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

bool mayHold(const CScriptArray& array, asQWORD count, bool constructsElements = true)
{
	if (mayHold(array.GetArrayObjectType()->GetEngine(), array.GetElementTypeId(), count, constructsElements))
		return true;
	raiseScriptException("Too large array size");
	return false;
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
	if (mayHold(*self(call), call->GetArgDWord(0)))
		self(call)->Resize(call->GetArgDWord(0));
}

void reserve(asIScriptGeneric* call)
{
	if (mayHold(*self(call), call->GetArgDWord(0), false))
		self(call)->Reserve(call->GetArgDWord(0));
}

void insertValueAt(asIScriptGeneric* call)
{
	if (mayHold(*self(call), asQWORD(self(call)->GetSize()) + 1))
		self(call)->InsertAt(call->GetArgDWord(0), call->GetArgAddress(1));
}

void insertArrayAt(asIScriptGeneric* call)
{
	const CScriptArray& other = *static_cast<CScriptArray*>(call->GetArgAddress(1));
	if (mayHold(*self(call), asQWORD(self(call)->GetSize()) + other.GetSize()))
		self(call)->InsertAt(call->GetArgDWord(0), other);
}

void insertLast(asIScriptGeneric* call)
{
	if (mayHold(*self(call), asQWORD(self(call)->GetSize()) + 1))
		self(call)->InsertLast(call->GetArgAddress(0));
}

void sortAscending(asIScriptGeneric* call)
{
	sortArray(self(call), 0, self(call)->GetSize(), true);
}

void sortDescending(asIScriptGeneric* call)
{
	sortArray(self(call), 0, self(call)->GetSize(), false);
}

void sortRangeAscending(asIScriptGeneric* call)
{
	sortArray(self(call), call->GetArgDWord(0), call->GetArgDWord(1), true);
}

void sortRangeDescending(asIScriptGeneric* call)
{
	sortArray(self(call), call->GetArgDWord(0), call->GetArgDWord(1), false);
}

void sortWithLess(asIScriptGeneric* call)
{
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
