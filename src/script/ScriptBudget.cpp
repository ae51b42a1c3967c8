#include "script/ScriptBudget.h"

#include "platform/ThreadCpuClock.h"
#include "script/bindings/ScriptMemory.h"

#include <angelscript.h>

namespace orv::script {

using namespace AngelScript;

namespace {

// The slots of a context's and the engine's user data that hold the clock
// and the budget.
const asPWORD CLOCK_DATA = 0x4F525643;
const asPWORD BUDGET_DATA = 0x4F525642;
// Budgets nest a few deep; room for them from the start keeps a run's
// start free of allocation.
const size_t SCOPES_RESERVED = 16;

void endClock(asIScriptContext* context)
{
	delete getScriptClock(context);
}

void endBudget(asIScriptEngine* engine)
{
	delete getScriptBudget(engine);
}

// Ends the context's run: the scope's budget ran out, found by this run or
// one nested in it.
void endRun(asIScriptContext* context, SScriptRunClock& clock, const SScriptRunScope& scope)
{
	clock.RanOut = true;
	clock.Ending = scope.Ending;
	clock.Section = scope.Section;
	clock.Row = scope.Row;
	clock.Column = scope.Column;
	context->Abort();
}

// The scope's budget ran out where the context is: all its runs end.
void spendScope(asIScriptContext* context, SScriptRunScope& scope, EScriptRunEnding ending)
{
	scope.RanOut = true;
	scope.Ending = ending;
	const char* section = nullptr;
	scope.Row = context->GetLineNumber(0, &scope.Column, &section);
	scope.Section = section ? section : "";
}

void onScriptLine(asIScriptContext* context, SScriptRunClock* clock)
{
	SScriptBudget& budget = *clock->Budget;
	// Asked for by code that was set aside: it goes with that code.
	if (budget.Runs.size() > budget.EndRunsFrom)
	{
		context->Abort();
		return;
	}
	// What scripts hold is looked at on every line the callback sees (loops
	// and calls): a loop that allocates would otherwise take another 255
	// rounds. A line callback may not raise an exception, so the run is
	// aborted with the bound's text, which its report takes as one.
	const char* refusal = scriptMemorySpent()        ? SCRIPT_MEMORY_EXCEPTION
		: collectedScriptObjectsSpent(budget.Engine) ? SCRIPT_OBJECTS_EXCEPTION
													 : nullptr;
	if (refusal)
	{
		noteScriptMemoryRefusal();
		const char* section = lastScriptMemoryRefusal(clock->Row, clock->Column);
		clock->Section = section ? section : "";
		clock->Refusal = refusal;
		context->Abort();
		return;
	}
	SScriptRunScope& scope = budget.Scopes[clock->Scope];
	// A run nested in this one, or one before it in the frame, may have
	// spent the time this one shares.
	if (!scope.RanOut && !scope.Own && budget.frameSpent())
		spendScope(context, scope, ESRE_FRAME_TIME);
	if (scope.RanOut)
	{
		endRun(context, *clock, scope);
		return;
	}
	if (--budget.LinesUntilLook > 0)
		return;
	budget.LinesUntilLook = SCRIPT_LINES_BETWEEN_LOOKS;

	const ScriptClock::time_point now = budget.look();
	if (budget.InFrame && now >= budget.FrameDeadline)
		budget.FrameSpent = true;
	EScriptRunEnding ending = ESRE_NONE;
	if (budget.Closing && now >= budget.CloseDeadline)
		ending = ESRE_CLOSE_TIME;
	else if (!scope.Own && budget.FrameSpent)
		ending = ESRE_FRAME_TIME;
	else if (now >= scope.Deadline)
		ending = scope.Kind;
	if (ending == ESRE_NONE)
		return;
	spendScope(context, scope, ending);
	endRun(context, *clock, scope);
}

} // namespace

ScriptClock::time_point ScriptClock::now()
{
	return time_point(platform::threadCpuTime());
}

SScriptBudget::SScriptBudget()
{
	Scopes.reserve(SCOPES_RESERVED);
	Runs.reserve(SCOPES_RESERVED);
}

ScriptClock::time_point SScriptBudget::now()
{
	if (OpenSpans == 0)
		return ScriptClock::time_point(Counted);
	++ClockReads;
	LastRead = ScriptClock::time_point(Counted + (ScriptClock::now() - SpanStart));
	return LastRead;
}

void SScriptBudget::openSpan()
{
	if (OpenSpans++ > 0)
		return;
	++ClockReads;
	SpanStart = ScriptClock::now();
	LastRead = ScriptClock::time_point(Counted);
}

void SScriptBudget::closeSpan()
{
	if (OpenSpans == 0 || --OpenSpans > 0)
		return;
	++ClockReads;
	Counted += ScriptClock::now() - SpanStart;
	// The clock is read here anyway: later runs of the frame need not look.
	if (InFrame && ScriptClock::time_point(Counted) >= FrameDeadline)
		FrameSpent = true;
}

ScriptClock::time_point SScriptBudget::look()
{
	if (OpenSpans == 0 && !Runs.empty())
	{
		openSpan();
		RunSpan = true;
	}
	const ScriptClock::time_point at = now();
	// A scope's time begins no later than that of the scopes inside it.
	for (SScriptRunScope& scope : Scopes)
		if (!scope.Started)
		{
			scope.Started = true;
			scope.Deadline = (scope.Begun ? scope.BegunAt : at) + std::chrono::milliseconds(RunMs);
		}
	return at;
}

void SScriptBudget::pushScope(EScriptRunEnding kind, bool own)
{
	Scopes.emplace_back();
	SScriptRunScope& scope = Scopes.back();
	scope.Kind = kind;
	scope.Own = own;
	// A build's time is its initialisers', not the compiler's before them.
	scope.Begun = OpenSpans > 0 && kind != ESRE_BUILD_TIME;
	scope.BegunAt = LastRead;
}

CScriptEngineWork::CScriptEngineWork(asIScriptEngine* engine) : Before(setThreadMemoryAccount(nullptr))
{
	SScriptBudget* budget = engine ? getScriptBudget(engine) : nullptr;
	if (!budget || budget->Runs.empty())
		return;
	Budget = budget;
	Budget->look();
}

CScriptEngineWork::~CScriptEngineWork()
{
	setThreadMemoryAccount(Before);
	// The work may have taken long: the run looks at its next line.
	if (Budget)
		Budget->LinesUntilLook = 1;
}

void SScriptRunClock::start()
{
	SScriptBudget& budget = *Budget;
	BeganScope = budget.Scopes.empty();
	if (BeganScope)
		budget.pushScope(ESRE_RUN_TIME, false);
	Scope = budget.Scopes.size() - 1;
	SScriptRunScope& scope = budget.Scopes.back();
	Outermost = !scope.Owned;
	scope.Owned = true;
	budget.Runs.push_back(this);
	RanOut = false;
	NestedRanOut = false;
	Refusal = nullptr;
	Ending = ESRE_NONE;
	Row = 0;
	Column = 0;
	AccountBefore = setThreadMemoryAccount(&scriptStringAccount());
}

bool SScriptRunClock::takeNestedEnding()
{
	return NestedRanOut;
}

void SScriptRunClock::stop()
{
	setThreadMemoryAccount(AccountBefore);
	AccountBefore = nullptr;
	SScriptBudget& budget = *Budget;
	if (!budget.Runs.empty())
		budget.Runs.pop_back();
	if (Scope < budget.Scopes.size())
	{
		// A run nested in this one spent the time they share; this one
		// finished before its next line saw it.
		// (The line callback as the run leaves may have seen it already.)
		const SScriptRunScope& scope = budget.Scopes[Scope];
		NestedRanOut = Outermost && scope.RanOut;
		if (NestedRanOut && !RanOut)
		{
			RanOut = true;
			Ending = scope.Ending;
			Section = scope.Section;
			Row = scope.Row;
			Column = scope.Column;
		}
	}
	if (BeganScope && !budget.Scopes.empty())
		budget.Scopes.pop_back();
	BeganScope = false;
	if (budget.Runs.empty() && budget.RunSpan)
	{
		budget.RunSpan = false;
		budget.closeSpan();
	}
}

void setUpScriptBudget(asIScriptEngine* engine)
{
	engine->SetEngineProperty(asEP_MAX_CALL_STACK_SIZE, SCRIPT_MAX_CALL_DEPTH);
	// The line callback then runs where a run can go on for long, at loops
	// and calls, not at every statement of every short callback.
	engine->SetEngineProperty(asEP_BUILD_WITHOUT_LINE_CUES, true);
	engine->SetContextUserDataCleanupCallback(endClock, CLOCK_DATA);
	engine->SetEngineUserDataCleanupCallback(endBudget, BUDGET_DATA);
	SScriptBudget* budget = new SScriptBudget();
	budget->Engine = engine;
	delete static_cast<SScriptBudget*>(engine->SetUserData(budget, BUDGET_DATA));
}

SScriptBudget* getScriptBudget(asIScriptEngine* engine)
{
	return static_cast<SScriptBudget*>(engine->GetUserData(BUDGET_DATA));
}

void beginScriptFrame(SScriptBudget& budget)
{
	++budget.Frame;
	budget.InFrame = true;
	budget.FrameSpent = false;
	budget.FrameDeadline = budget.now() + std::chrono::milliseconds(budget.FrameMs);
}

void endScriptFrame(SScriptBudget& budget)
{
	budget.InFrame = false;
	budget.FrameSpent = false;
}

void beginScriptBuild(SScriptBudget& budget)
{
	budget.pushScope(ESRE_BUILD_TIME, true);
}

void endScriptBuild(SScriptBudget& budget)
{
	if (!budget.Scopes.empty())
		budget.Scopes.pop_back();
}

void beginOwnScriptRun(SScriptBudget& budget)
{
	budget.pushScope(ESRE_RUN_TIME, true);
	++budget.OwnRuns;
}

void endOwnScriptRun(SScriptBudget& budget)
{
	if (!budget.Scopes.empty())
		budget.Scopes.pop_back();
	if (budget.OwnRuns > 0)
		--budget.OwnRuns;
}

bool mayStartOwnScriptRun(SScriptBudget& budget)
{
	if (budget.OwnRuns >= SCRIPT_MAX_NESTED_OWN_RUNS || budget.Runs.size() > budget.EndRunsFrom)
		return false;
	if (budget.Closing)
		return !budget.closeSpent();
	const SScriptRunScope* scope = budget.innermostScope();
	if (scope && scope->RanOut)
		return false;
	if (!budget.InFrame && !(scope && scope->Started))
		return true;
	const ScriptClock::time_point now = budget.now();
	if (budget.InFrame && now >= budget.FrameDeadline)
		budget.FrameSpent = true;
	if (budget.frameSpent())
		return false;
	return !(scope && scope->Started && now >= scope->Deadline);
}

void beginScriptClose(SScriptBudget& budget)
{
	if (budget.Closing)
		return;
	budget.Closing = true;
	// A span that never closes: every destructor and release of the close
	// is counted, however short.
	budget.openSpan();
	budget.CloseDeadline = budget.now() + std::chrono::milliseconds(budget.CloseMs);
}

void watchScriptTime(asIScriptContext* context)
{
	SScriptRunClock* clock = new SScriptRunClock();
	clock->Budget = getScriptBudget(context->GetEngine());
	clock->Context = context;
	delete static_cast<SScriptRunClock*>(context->SetUserData(clock, CLOCK_DATA));
	context->SetLineCallback(asFUNCTION(onScriptLine), clock, asCALL_CDECL);
}

SScriptRunClock* getScriptClock(asIScriptContext* context)
{
	return static_cast<SScriptRunClock*>(context->GetUserData(CLOCK_DATA));
}

} // namespace orv::script
