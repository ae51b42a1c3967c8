#pragma once
// The natives behind opCast and opImplCast of reference-counted script types:
// a cast that succeeds hands the script a reference of its own, one that
// fails takes none.

namespace orv::script {

//! To a derived type, by a run-time test; null when the object is not one.
template <class To, class From> To* castDown(From* object)
{
	To* kind = dynamic_cast<To*>(object);
	if (kind)
		kind->grab();
	return kind;
}

//! To a base type; null stays null.
template <class To, class From> To* castUp(From* object)
{
	if (object)
		object->grab();
	return object;
}

} // namespace orv::script
