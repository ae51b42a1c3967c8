#pragma once
// The script governor: what script code a server or a package sends may
// spend, so that it cannot stop the client. Every run (a callback, the
// initialisers of a module's globals, a destructor, a comparison) and every
// build passes through here. Time is the main thread's processor time while
// script work goes on, engine work a run asks for included, bounded per run,
// per frame, per build and for the close; memory is the one bound of
// script/bindings/ScriptMemory.h, which the runs look at as they go.
//
// Reading the processor clock is a system call (about 200 ns), as dear as a
// short callback itself, so it is read seldom: once at each end of a span
// of script work (the frame's walk over its objects' callbacks), and inside
// runs only at a budget look, every SCRIPT_LINES_BETWEEN_LOOKS line
// callbacks of all runs together; a short callback reads no clock at all.
// Inside a span a run's own time begins where the clock was last read before
// it (at most one look's worth of other runs early); outside one, at its
// first look or as it asks for engine work, whichever comes first.

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
//! Line callbacks of all runs together between two looks at the clock: a
//! run past its budget goes on for at most this many loop rounds or calls.
const irr::u32 SCRIPT_LINES_BETWEEN_LOOKS = 256;
//! Runs with a budget of their own (see beginOwnScriptRun) that may nest
//! one inside the other; one more waits (see CScriptManager::mayStartOwnRun).
//! A level whose objects load levels from Created nests this deep at most,
//! however many levels the package has.
const irr::u32 SCRIPT_MAX_NESTED_OWN_RUNS = 8;
//! Script time the builds one load of a level or of a class definitions file
//! asks for take together (the code of its objects and classes, their
//! initialisers included): each build is bounded, but a level of many
//! objects with large scripts built for half a minute in one call, and a
//! file of many classes with large scripts for 20 s. Code asked for past it is refused. A level of a
//! thousand objects with ordinary scripts builds in about a second.
const irr::u32 SCRIPT_LOAD_BUILD_BUDGET_MS = 5000;

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

//! Why a run ended before its end, as its line callback saw it.
enum EScriptRunEnding
{
	ESRE_NONE = 0,
	ESRE_RUN_TIME,   // the run's own budget
	ESRE_FRAME_TIME, // the frame's
	ESRE_BUILD_TIME, // the budget of the build it belongs to
	ESRE_CLOSE_TIME  // the close's
};

//! One budget of RunMs that runs share: an outermost run's with the runs
//! nested in it, a build's with the runs of its initialisers, a run with a
//! budget of its own (a Created) with what it asks for.
struct SScriptRunScope
{
	//! ESRE_RUN_TIME or ESRE_BUILD_TIME: what the report says ran out.
	EScriptRunEnding Kind = ESRE_RUN_TIME;
	//! The frame's time bounds only the runs of a scope that is not its own.
	bool Own = false;
	//! A run began in it: that first run reports for the ones nested in it.
	bool Owned = false;
	//! Its time began (lazily, see above), and when it ends.
	bool Started = false;
	ScriptClock::time_point Deadline;
	//! Begun inside an open span: its time is counted from the clock's last
	//! reading before it, which its first look then takes as its start
	//! (at most one look's worth of other runs early), not from that look.
	bool Begun = false;
	ScriptClock::time_point BegunAt;
	//! Set once a run of it found a budget spent, with which and where:
	//! every run of the scope ends at its next line.
	bool RanOut = false;
	EScriptRunEnding Ending = ESRE_NONE;
	std::string Section;
	int Row = 0;
	int Column = 0;
};

struct SScriptRunClock;

//! The engine's share of the budget. Its clock runs while a span of script
//! work is open: the frame's own, or one a run opened at its first look or
//! engine work and that closes as the outermost run ends. A run's time is
//! then the script's and whatever engine work it asks for (a level loaded,
//! objects made, events delivered); the engine's own work of a frame
//! (physics, drawing, packets) is no script time.
struct SScriptBudget
{
	SScriptBudget();

	//! The script clock now; reads the processor clock only while a span is
	//! open, and stands still otherwise.
	ScriptClock::time_point now();
	//! A span of script work begins or ends; spans nest.
	void openSpan();
	void closeSpan();
	//! A budget look: opens a span if none is open (the outermost run's end
	//! closes it) and begins the time of every scope not begun yet. Returns
	//! the script clock.
	ScriptClock::time_point look();
	//! A new scope of the kind, its time begun where the clock was last read
	//! when a span is open.
	void pushScope(EScriptRunEnding kind, bool own);

	//! The frame's time is gone: nothing more runs in this frame but runs
	//! with a budget of their own.
	bool frameSpent() const { return InFrame && FrameSpent; }
	//! The close's time is gone: no script runs any more.
	bool closeSpent() { return Closing && now() >= CloseDeadline; }
	//! Whether a run asked for now would run at all: not inside runs that
	//! are ending, nor in a scope whose time is gone, nor past the frame's
	//! time unless the scope is its own, nor past the close's.
	bool mayRun()
	{
		// A budget of no time runs nothing, whatever looks would find.
		if (Runs.size() > EndRunsFrom || RunMs == 0 || (InFrame && FrameMs == 0) || (Closing && closeSpent()))
			return false;
		const SScriptRunScope* scope = innermostScope();
		if (scope && scope->RanOut)
			return false;
		return (scope && scope->Own) || !frameSpent();
	}
	//! The scope a run beginning now joins; null when it would begin one.
	SScriptRunScope* innermostScope() { return Scopes.empty() ? nullptr : &Scopes.back(); }

	AngelScript::asIScriptEngine* Engine = nullptr;
	irr::u32 RunMs = SCRIPT_RUN_BUDGET_MS;
	irr::u32 FrameMs = SCRIPT_FRAME_BUDGET_MS;
	irr::u32 CloseMs = SCRIPT_CLOSE_BUDGET_MS;
	//! Counts the frames begun. Runs outside a frame have their run budget only.
	irr::u64 Frame = 0;
	bool InFrame = false;
	//! Set once the frame's time ran out; cleared by the next frame.
	bool FrameSpent = false;
	ScriptClock::time_point FrameDeadline;
	//! Runs going on, one inside the other, innermost last.
	std::vector<SScriptRunClock*> Runs;
	//! Budgets going on, innermost last (see SScriptRunScope).
	std::vector<SScriptRunScope> Scopes;
	//! Runs with a budget of their own going on.
	irr::u32 OwnRuns = 0;
	//! Line callbacks left before the next look, for all runs together.
	irr::u32 LinesUntilLook = SCRIPT_LINES_BETWEEN_LOOKS;
	//! Runs from this place in Runs on end at their next line, without a
	//! report of their own: they were asked for by code that was set aside.
	size_t EndRunsFrom = SIZE_MAX;
	//! Set from the start of the close on: every run shares its budget.
	bool Closing = false;
	ScriptClock::time_point CloseDeadline;
	//! How often the processor clock was read, for tests that count it.
	irr::u64 ClockReads = 0;

private:
	//! Script time of the spans closed so far, and where the open one began
	//! on the processor clock.
	ScriptClock::duration Counted{0};
	ScriptClock::time_point SpanStart;
	//! The script clock as the open span last read it.
	ScriptClock::time_point LastRead;
	irr::u32 OpenSpans = 0;
	//! The open span was opened by a run's look and closes as the outermost
	//! run ends.
	bool RunSpan = false;

	friend struct SScriptRunClock;
};

//! Engine work a script asks for (a level loaded, objects made, events
//! delivered) counts as the run's time: it begins the run's time if it has
//! not begun, and the next line of the run looks at the clock. What the
//! work keeps is the engine's: strings it makes are not charged to the
//! scripts' memory. Does nothing outside a run.
class CScriptEngineWork
{
public:
	explicit CScriptEngineWork(AngelScript::asIScriptEngine* engine);
	~CScriptEngineWork();
	CScriptEngineWork(const CScriptEngineWork&) = delete;
	CScriptEngineWork& operator=(const CScriptEngineWork&) = delete;

private:
	MemoryAccount* Before;
	SScriptBudget* Budget = nullptr;
};

//! The clock of the run a context is in; its line callback reads it.
struct SScriptRunClock
{
	//! Starts a run: it joins the innermost scope going on, or begins one of
	//! its own; it ends by that scope's budget, the frame's unless the scope
	//! is its own, and the close's. Strings the run makes are charged to the
	//! scripts' memory. Each start has its stop.
	void start();
	void stop();
	//! The outermost run of a scope finished although a run nested in it ran
	//! out of their budget: takes that ending as its own. False otherwise.
	bool takeNestedEnding();

	SScriptBudget* Budget = nullptr;
	AngelScript::asIScriptContext* Context = nullptr;
	//! The first run of its scope: it reports what the budget ended, for the
	//! runs nested in it as well.
	bool Outermost = false;
	//! Its scope's place in Budget->Scopes.
	size_t Scope = 0;
	//! Set once a budget ran out and the run was aborted, with where; for
	//! an outermost run also when a run nested in it ran out.
	bool RanOut = false;
	EScriptRunEnding Ending = ESRE_NONE;
	//! Set instead when the run was aborted at a bound on what all scripts
	//! hold: the bound's exception text (its report takes it as one).
	const char* Refusal = nullptr;
	std::string Section;
	int Row = 0;
	int Column = 0;

private:
	MemoryAccount* AccountBefore = nullptr;
	//! The run began the scope it is in and ends it.
	bool BeganScope = false;
	//! A run nested in it ran out of the scope's time while it finished.
	bool NestedRanOut = false;
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
//! A run with a budget of its own lies between these two: neither the
//! frame's time nor that of a run that asked for it can end it.
void beginOwnScriptRun(SScriptBudget& budget);
void endOwnScriptRun(SScriptBudget& budget);
//! Whether a run with a budget of its own may start now: not in a frame
//! whose time is spent, nor inside a scope whose time is (it would run past
//! a run that is over), nor SCRIPT_MAX_NESTED_OWN_RUNS deep. Reads the clock.
bool mayStartOwnScriptRun(SScriptBudget& budget);
//! The close begins: from here on all runs share the close's budget, and
//! the clock runs until the end.
void beginScriptClose(SScriptBudget& budget);

//! Gives the context a clock of its own, which lives as long as the context
//! (a run may outlive whoever started it), and the line callback that ends
//! the context's run once that clock has run out or the scripts' memory is
//! spent. The engine must have been set up for it.
void watchScriptTime(AngelScript::asIScriptContext* context);
//! The context's clock; null for a context that is not watched.
SScriptRunClock* getScriptClock(AngelScript::asIScriptContext* context);

} // namespace orv::script
