#pragma once
// What one run of script code may take, so that code a server or a package
// sends cannot stop the client: script time and calls in one another. A run
// is a callback, or the initialisers of a module's globals.

#include <chrono>

#include <irrTypes.h>

namespace AngelScript {
class asIScriptContext;
class asIScriptEngine;
} // namespace AngelScript

namespace orv::script {

//! Script time one run may take. The game waits for every callback, so a
//! run that takes longer is aborted and the frame goes on without it.
const irr::u32 SCRIPT_RUN_BUDGET_MS = 1000;
//! Script calls one run may nest; endless recursion ends in a "Stack
//! overflow" exception instead of eating memory until the budget ends it.
const irr::u32 SCRIPT_MAX_CALL_DEPTH = 10000;

//! The clock of the run a context is in; its line callback reads it.
struct SScriptRunClock
{
	//! Starts a run: the budget counts from now.
	void start();

	std::chrono::steady_clock::time_point Deadline;
	//! Lines left before the clock is read again: reading it on every line
	//! would slow tight loops for nothing.
	irr::u32 LinesUntilLook = 0;
	//! Set once the budget ran out and the run was aborted, with where.
	bool RanOut = false;
	const char* Section = nullptr;
	int Row = 0;
	int Column = 0;
};

//! Sets the engine up for budgeted runs: the call depth limit, and the end
//! of the clocks its contexts carry.
void setUpScriptBudget(AngelScript::asIScriptEngine* engine);

//! Gives the context a clock of its own, which lives as long as the context
//! (a run may outlive whoever started it), and the line callback that aborts
//! the context's run once that clock has run out. The engine must have been
//! set up for it.
void watchScriptTime(AngelScript::asIScriptContext* context);
//! The context's clock; null for a context that is not watched.
SScriptRunClock* getScriptClock(AngelScript::asIScriptContext* context);

} // namespace orv::script
