#pragma once
// Bytes a test binary allocates through operator new, to count what a reader
// costs instead of timing it. A binary whose test asks for the count gets
// the counting operator new; the others keep the standard one.

#include <cstddef>

namespace orv::test {

//! Every byte asked of operator new so far, on any thread.
std::size_t allocatedBytes();

} // namespace orv::test
