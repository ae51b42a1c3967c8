#pragma once
// The script governor: what script code a server or a package sends may
// spend, so that it cannot stop the client. Every run (a callback, the
// initialisers of a module's globals, a destructor, a comparison) and every
// build passes through here. Time is the main thread's processor time while
// a run goes on, engine work the run asks for included, bounded per run,
// per frame, per build and for the close; memory is the one bound of
// script/bindings/ScriptMemory.h, which the runs look at as they go.

#include <chrono>
#include <string>
#include <vector>

#include <irrTypes.h>

#include "base/MemoryAccount.h"

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
//! Script time all script work of the close may take together (destructors
//! of what scripts held); past it the rest is dropped without running.
const irr::u32 SCRIPT_CLOSE_BUDGET_MS = 2000;
//! Frames in a row in which a module's runs ran out of time before the
//! module is set aside.
const irr::u32 SCRIPT_SET_ASIDE_FRAMES = 3;
//! Script calls one run may nest; endless recursion ends in a "Stack
//! overflow" exception. Low enough that a script reaches it well within the
//! run budget (a call costs more the deeper the stack), high enough for any
//! recursion that game code needs.
const irr::u32 SCRIPT_MAX_CALL_DEPTH = 3000;

//! The script clock: the calling thread's processor time. A machine busy
//! with other work stretches a run's wall time, never its script time.
struct ScriptClock
{
	typedef std::chrono::nanoseconds duration;
	typedef duration::rep rep;
	typedef duration::period period;
	typedef std::chrono::time_point<ScriptClock> time_point;
	static constexpr bool is_steady = true;
	static time_point now();
};

//! The engine's share of the budget. Its clock runs while any run goes on:
//! a run's time is the script's and whatever engine work it asks for (a
//! level loaded, objects made, events delivered), and runs nested in it
//! (a delivery into another object's context) share the outermost run's
//! budget. The engine's own work of a frame (physics, drawing, packets) is
//! no script time.
struct SScriptBudget
{
	//! The script clock now.
	ScriptClock::time_point now() const;
	//! A run begins inside whatever runs go on; each has its end. Returns
	//! the script clock as it begins.
	ScriptClock::time_point beginRun();
	void endRun();

	irr::u32 RunMs = SCRIPT_RUN_BUDGET_MS;
	irr::u32 FrameMs = SCRIPT_FRAME_BUDGET_MS;
	irr::u32 CloseMs = SCRIPT_CLOSE_BUDGET_MS;
	//! Counts the frames begun. Runs outside a frame have their run budget only.
	irr::u64 Frame = 0;
	bool InFrame = false;
	//! Set once the frame's time ran out; cleared by the next frame.
	bool FrameSpent = false;
	ScriptClock::time_point FrameDeadline;
	//! Runs going on, one inside the other.
	irr::u32 ActiveRuns = 0;
	ScriptClock::time_point RunDeadline;
	//! Builds going on, one inside the other, innermost last: the runs of a
	//! build (its globals' initialisers) have a budget of their own, which
	//! begins with the first of them, so that neither the frame's time nor
	//! that of a run that asked for the build can make it fail.
	struct SBuild
	{
		bool Started = false;
		ScriptClock::time_point Deadline;
	};
	std::vector<SBuild> Builds;
	//! Set from the start of the close on: every run shares its budget.
	bool Closing = false;
	ScriptClock::time_point CloseDeadline;
	//! Set once a run found the budget of the outermost run going on spent,
	//! with which budget and where: the runs nested in it end at their next
	//! line, and the outermost one reports it. Cleared as the next outermost
	//! run begins.
	bool RunRanOut = false;
	int RunEnding = 0; // EScriptRunEnding
	std::string RanOutSection;
	int RanOutRow = 0;
	int RanOutColumn = 0;

	//! The frame's time is gone: nothing more runs in this frame.
	bool frameSpent() const { return InFrame && FrameSpent; }
	//! The close's time is gone: no script runs any more.
	bool closeSpent() const { return Closing && now() >= CloseDeadline; }

private:
	//! Script time before the outermost run going on, and where it began on
	//! the processor clock.
	ScriptClock::duration Counted{0};
	ScriptClock::time_point SpanStart;
};

//! Engine work a script asks for (a level loaded, say) counts as the run's
//! time, but what it keeps is the engine's: strings it makes are not
//! charged to the scripts' memory. Does nothing outside a run.
class CScriptEngineWork
{
public:
	explicit CScriptEngineWork(AngelScript::asIScriptEngine* engine);
	~CScriptEngineWork();
	CScriptEngineWork(const CScriptEngineWork&) = delete;
	CScriptEngineWork& operator=(const CScriptEngineWork&) = delete;

private:
	MemoryAccount* Before;
};

//! Why a run ended before its end, as its line callback saw it.
enum EScriptRunEnding
{
	ESRE_NONE = 0,
	ESRE_RUN_TIME,   // the run's own budget
	ESRE_FRAME_TIME, // the frame's
	ESRE_BUILD_TIME, // the budget of the build it belongs to
	ESRE_CLOSE_TIME  // the close's
};

//! The clock of the run a context is in; its line callback reads it.
struct SScriptRunClock
{
	//! Starts a run: it ends by the budget of the outermost run going on, or
	//! the frame's, whichever comes first; inside a build by the build's, at
	//! the close by the close's as well. Strings the run makes are charged to
	//! the scripts' memory. Each start has its stop.
	void start();
	void stop();
	//! The outermost run finished although it or one nested in it ran out
	//! of its budget: takes that ending as its own. False otherwise.
	bool takeNestedEnding();

	SScriptBudget* Budget = nullptr;
	//! No other run was going on as this one began: it reports what its
	//! budget ended, for the runs nested in it as well.
	bool Outermost = false;
	ScriptClock::time_point Deadline;
	//! What the deadline is: the frame's time is no bound of a build's runs.
	EScriptRunEnding DeadlineKind = ESRE_RUN_TIME;
	//! Lines left before the clock is read again: reading it on every line
	//! would slow tight loops for nothing.
	irr::u32 LinesUntilLook = 0;
	//! The run began with its time already gone: it ends on its first line,
	//! having run nothing.
	bool StartedOutOfTime = false;
	//! Set once a budget ran out and the run was aborted, with where; for
	//! an outermost run also when a run nested in it ran out.
	bool RanOut = false;
	EScriptRunEnding Ending = ESRE_NONE;
	const char* Section = nullptr;
	int Row = 0;
	int Column = 0;

private:
	MemoryAccount* AccountBefore = nullptr;
};

//! Sets the engine up for budgeted runs: the call depth limit, its budget
//! and the end of the clocks its contexts carry.
void setUpScriptBudget(AngelScript::asIScriptEngine* engine);
//! The engine's budget; null for an engine that was not set up for it.
SScriptBudget* getScriptBudget(AngelScript::asIScriptEngine* engine);

//! The frame's script work lies between these two.
void beginScriptFrame(SScriptBudget& budget);
void endScriptFrame(SScriptBudget& budget);
//! A module's build lies between these two.
void beginScriptBuild(SScriptBudget& budget);
void endScriptBuild(SScriptBudget& budget);
//! The close begins: from here on all runs share the close's budget.
void beginScriptClose(SScriptBudget& budget);

//! Gives the context a clock of its own, which lives as long as the context
//! (a run may outlive whoever started it), and the line callback that ends
//! the context's run once that clock has run out or the scripts' memory is
//! spent. The engine must have been set up for it.
void watchScriptTime(AngelScript::asIScriptContext* context);
//! The context's clock; null for a context that is not watched.
SScriptRunClock* getScriptClock(AngelScript::asIScriptContext* context);

} // namespace orv::script
