#pragma once
// "array<T>": the array add-on, registered with the client's own sorts and
// with bounds on how large one call can make an array.

#include <angelscript.h>
#include <scriptarray.h>

#include <vector>

namespace orv::script {

//! The most bytes one array's elements may take: 16M ints, 8M handles.
//! Growing an array allocates and fills it in one native call that no script
//! budget can interrupt, so its size bounds that call's time and memory.
const AngelScript::asUINT MAX_SCRIPT_ARRAY_BYTES = 64u << 20;
//! The most elements of an object or handle type one array may hold. Each
//! object is constructed, and may own memory of its own, one by one, in one
//! native call that no script budget can interrupt.
const AngelScript::asUINT MAX_SCRIPT_ARRAY_OBJECTS = 1u << 19;

//! Marks an array as in use by a native that may call a script back (a
//! sort's comparison, a search's opEquals, an element's constructor,
//! destructor or opAssign): until the native returns, the array is held and
//! every call that would change it raises an exception instead. A native
//! that calls scripts on the elements (sorts, searches) holds the objects
//! its handles point to as well, so that a script that reassigns an element
//! cannot free an object the native is about to use.
class CScriptArrayInUse
{
public:
	explicit CScriptArrayInUse(AngelScript::CScriptArray* array, bool holdElements = false);
	~CScriptArrayInUse();
	CScriptArrayInUse(const CScriptArrayInUse&) = delete;
	CScriptArrayInUse& operator=(const CScriptArrayInUse&) = delete;

private:
	AngelScript::CScriptArray* Array;
	// Null unless the elements are handles.
	AngelScript::asITypeInfo* HandleType = nullptr;
	std::vector<void*> Held;
};

//! Whether a native is using the array; if so, raises "The array cannot
//! change while a call on it runs a script" in the running script.
bool refuseWhileInUse(const AngelScript::CScriptArray& array);

//! Bytes an element of this type takes in an array's buffer: objects and
//! handles are held by pointer, the rest by value.
AngelScript::asUINT scriptArrayElementBytes(AngelScript::asIScriptEngine* engine, int elementTypeId);

//! Registers the add-on on `engine` with those swaps. Returns the number of
//! swaps the add-on's declarations did not match (0 when all took).
int registerScriptArray(AngelScript::asIScriptEngine* engine);

} // namespace orv::script
