#pragma once
// What Engine.log writes. The console is fed on the main thread: a run that
// waits on a slow one is no script time, and a script that logs a megabyte a
// frame would hold the frame there. One line and one frame write at most a
// bound each; past it the rest is dropped, said once a game.

#include <irrTypes.h>

#include "base/ustring16.h"

namespace irr {
class ILogger;
}

namespace orv::script {

//! Characters of one line; a longer text is cut there.
const irr::u32 SCRIPT_LOG_LINE = 4096;
//! Lines all scripts write in one frame (or between two frames).
const irr::u32 SCRIPT_LOG_LINES = 256;
//! Characters all scripts write in one frame.
const irr::u32 SCRIPT_LOG_CHARACTERS = 65536;

//! One information line on "script" in the frame of that number, within the bounds.
void writeScriptLog(irr::ILogger* logger, const irr::core::ustring16& text, irr::u64 frame);

} // namespace orv::script
