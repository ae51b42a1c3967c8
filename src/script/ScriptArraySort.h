#pragma once
// The array add-on's sorts, done again in O(n log n) on every input: its own
// insertion sort takes minutes on long arrays in reverse order, inside one
// native call that no script budget can stop.

#include <angelscript.h>
#include <scriptarray.h>

namespace orv::script {

//! Sorts `count` elements from `startAt` by value, or by the element type's
//! opCmp; null handles sort first. Out-of-range bounds raise a script
//! exception, as do an element type without opCmp and a comparison that
//! fails (the array is then left as it was).
void sortArray(
	AngelScript::CScriptArray* array, AngelScript::asUINT startAt, AngelScript::asUINT count, bool ascending);

//! The same with a script's own `less`; `count` is cut to the array's end.
void sortArrayWith(AngelScript::CScriptArray* array, AngelScript::asIScriptFunction* less, AngelScript::asUINT startAt,
	AngelScript::asUINT count);

} // namespace orv::script
