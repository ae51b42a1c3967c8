#pragma once
// What script code a server or a package sends may take, so that it cannot
// stop the client: script time per run and per frame, and calls in one
// another. A run is a callback, or the initialisers of a module's globals.

#include <chrono>
#include <vector>

#include <irrTypes.h>

namespace AngelScript {
class asIScriptContext;
class asIScriptEngine;
} // namespace AngelScript

namespace orv::script {

//! Script time one run may take. The game waits for every callback, so a
//! run that takes longer is aborted and the frame goes on without it.
const irr::u32 SCRIPT_RUN_BUDGET_MS = 1000;
//! Script time all runs of one frame may take together; once it is gone the
//! running script is aborted and the frame's further callbacks are skipped.
const irr::u32 SCRIPT_FRAME_BUDGET_MS = 250;
//! Frames in a row in which a module's runs ran out of time before the
//! module is set aside.
const irr::u32 SCRIPT_SET_ASIDE_FRAMES = 3;
//! Script calls one run may nest; endless recursion ends in a "Stack
//! overflow" exception. Low enough that a script reaches it well within the
//! run budget (a call costs more the deeper the stack), high enough for any
//! recursion that game code needs.
const irr::u32 SCRIPT_MAX_CALL_DEPTH = 3000;

typedef std::chrono::steady_clock ScriptClock;

//! The engine's share of the budget: the frame's time, and the time of the
//! outermost run, which every run nested in it shares (a delivery into
//! another object's context does not start a fresh budget). Deadlines are
//! read on the script clock, which runs only while a script does: the
//! engine's own work of a frame (physics, drawing, packets, a level a script
//! loads) is no script time, however long a slow machine takes for it.
struct SScriptBudget
{
	//! The script clock now.
	ScriptClock::time_point now() const;
	//! A run or a piece of engine work begins inside whatever goes on; the
	//! script clock runs while the innermost one is a run. Each has its end.
	//! Returns the script clock as it begins.
	ScriptClock::time_point beginActivity(bool isRun);
	void endActivity();

	irr::u32 RunMs = SCRIPT_RUN_BUDGET_MS;
	irr::u32 FrameMs = SCRIPT_FRAME_BUDGET_MS;
	//! Counts the frames begun. Runs outside a frame have their run budget only.
	irr::u64 Frame = 0;
	bool InFrame = false;
	//! Set once the frame's time ran out; cleared by the next frame.
	bool FrameSpent = false;
	ScriptClock::time_point FrameDeadline;
	//! Runs going on, one inside the other.
	irr::u32 ActiveRuns = 0;
	ScriptClock::time_point RunDeadline;

	//! The frame's time is gone: nothing more runs in this frame.
	bool frameSpent() const { return InFrame && FrameSpent; }

private:
	bool counting() const { return !Activities.empty() && Activities.back(); }

	//! Script time before the span that is open while a run is innermost.
	ScriptClock::duration Counted{0};
	ScriptClock::time_point SpanStart;
	//! What goes on, innermost last: true for a run, false for engine work.
	std::vector<bool> Activities;
};

//! Engine work a script asks for, a level loaded, say, is no script time;
//! scripts it runs (objects' Created) count again. Does nothing for an
//! engine without a budget.
class CScriptEngineWork
{
public:
	explicit CScriptEngineWork(AngelScript::asIScriptEngine* engine);
	~CScriptEngineWork();
	CScriptEngineWork(const CScriptEngineWork&) = delete;
	CScriptEngineWork& operator=(const CScriptEngineWork&) = delete;

private:
	SScriptBudget* Budget;
};

//! The clock of the run a context is in; its line callback reads it.
struct SScriptRunClock
{
	//! Starts a run: it ends by the budget of the outermost run going on, or
	//! the frame's, whichever comes first. Each start has its stop.
	void start();
	void stop();

	SScriptBudget* Budget = nullptr;
	ScriptClock::time_point Deadline;
	//! Lines left before the clock is read again: reading it on every line
	//! would slow tight loops for nothing.
	irr::u32 LinesUntilLook = 0;
	//! Set once the budget ran out and the run was aborted, with where and
	//! whether it was the frame's time.
	bool RanOut = false;
	bool FrameRanOut = false;
	const char* Section = nullptr;
	int Row = 0;
	int Column = 0;
};

//! Sets the engine up for budgeted runs: the call depth limit, its budget
//! and the end of the clocks its contexts carry.
void setUpScriptBudget(AngelScript::asIScriptEngine* engine);
//! The engine's budget; null for an engine that was not set up for it.
SScriptBudget* getScriptBudget(AngelScript::asIScriptEngine* engine);

//! The frame's script work lies between these two.
void beginScriptFrame(SScriptBudget& budget);
void endScriptFrame(SScriptBudget& budget);

//! Gives the context a clock of its own, which lives as long as the context
//! (a run may outlive whoever started it), and the line callback that aborts
//! the context's run once that clock has run out. The engine must have been
//! set up for it.
void watchScriptTime(AngelScript::asIScriptContext* context);
//! The context's clock; null for a context that is not watched.
SScriptRunClock* getScriptClock(AngelScript::asIScriptContext* context);

} // namespace orv::script
