#pragma once
// The script engine's reference counts without the check that ends the
// process once one passes a million (see ScriptReferenceCounts.cpp).

namespace orv::script {

//! Whether the engine has counted a reference through the client's own
//! counter since the process began. False only when the engine was linked
//! in a way that keeps its own (a static build), where a script that makes a
//! million references to one thing still ends the process.
bool scriptReferenceCountsAreUnchecked();

} // namespace orv::script
