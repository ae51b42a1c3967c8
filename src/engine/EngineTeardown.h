#pragma once

namespace orv {

//! Ends the process singletons in the one order that frees nothing still in
//! use: the world's managers first, the engine (which writes the settings)
//! last. Each is skipped when absent; every pointer is null afterwards.
void tearDownSingletons();

} // namespace orv
