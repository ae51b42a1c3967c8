#pragma once
// The ids of an object's changed attributes, in ascending order. Thousands of
// objects mark a few ids every frame and have them cleared again: a sorted
// array that keeps its room, where a tree would allocate a node per mark.

#include <functional>

#include <boost/container/flat_set.hpp>
#include <boost/container/small_vector.hpp>

namespace orv {

//! Set semantics (insert, count, erase, ordered walk) without allocating for
//! the first few ids.
template <typename Id>
using AttributeIdSet = boost::container::flat_set<Id, std::less<Id>, boost::container::small_vector<Id, 8>>;

} // namespace orv
