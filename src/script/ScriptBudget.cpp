#include "script/ScriptBudget.h"

#include "platform/ThreadCpuClock.h"
#include "script/bindings/ScriptMemory.h"

#include <algorithm>

#include <angelscript.h>

namespace orv::script {

using namespace AngelScript;

namespace {

const irr::u32 LINES_BETWEEN_LOOKS = 256;
// The slots of a context's and the engine's user data that hold the clock
// and the budget.
const asPWORD CLOCK_DATA = 0x4F525643;
const asPWORD BUDGET_DATA = 0x4F525642;

void endClock(asIScriptContext* context)
{
	delete getScriptClock(context);
}

void endBudget(asIScriptEngine* engine)
{
	delete getScriptBudget(engine);
}

void onScriptLine(asIScriptContext* context, SScriptRunClock* clock)
{
	// Memory is looked at on every line the callback sees (loops and calls):
	// a loop that allocates would otherwise take another 255 rounds.
	if (scriptMemorySpent())
	{
		noteScriptMemoryRefusal();
		context->SetException(SCRIPT_MEMORY_EXCEPTION);
		return;
	}
	SScriptBudget& budget = *clock->Budget;
	const bool inBuild = clock->DeadlineKind == ESRE_BUILD_TIME;
	// A run nested in this one may have spent the time this one shares.
	if (!inBuild && (budget.RunRanOut || budget.frameSpent()))
	{
		clock->RanOut = true;
		clock->Ending = budget.RunRanOut ? static_cast<EScriptRunEnding>(budget.RunEnding) : ESRE_FRAME_TIME;
		clock->Row = context->GetLineNumber(0, &clock->Column, &clock->Section);
		context->Abort();
		return;
	}
	if (clock->LinesUntilLook-- > 0)
		return;
	clock->LinesUntilLook = LINES_BETWEEN_LOOKS;
	const ScriptClock::time_point now = budget.now();
	if (now < clock->Deadline)
		return;
	clock->RanOut = true;
	clock->Ending = clock->DeadlineKind;
	clock->Row = context->GetLineNumber(0, &clock->Column, &clock->Section);
	if (!inBuild)
	{
		budget.RunRanOut = true;
		budget.RunEnding = clock->Ending;
		budget.RanOutSection = clock->Section ? clock->Section : "";
		budget.RanOutRow = clock->Row;
		budget.RanOutColumn = clock->Column;
		if (clock->Ending == ESRE_FRAME_TIME)
			budget.FrameSpent = true;
	}
	context->Abort();
}

// The earlier of two deadlines, and what it is.
void tighten(SScriptRunClock& clock, ScriptClock::time_point deadline, EScriptRunEnding kind)
{
	if (deadline < clock.Deadline)
	{
		clock.Deadline = deadline;
		clock.DeadlineKind = kind;
	}
}

} // namespace

ScriptClock::time_point ScriptClock::now()
{
	return time_point(platform::threadCpuTime());
}

ScriptClock::time_point SScriptBudget::now() const
{
	if (ActiveRuns == 0)
		return ScriptClock::time_point(Counted);
	return ScriptClock::time_point(Counted + (ScriptClock::now() - SpanStart));
}

ScriptClock::time_point SScriptBudget::beginRun()
{
	// The processor clock is read once as the outermost run begins and once
	// as it ends; a run nested in it reads it once, to begin on time.
	if (ActiveRuns++ > 0)
		return now();
	SpanStart = ScriptClock::now();
	return ScriptClock::time_point(Counted);
}

void SScriptBudget::endRun()
{
	if (ActiveRuns == 0)
		return;
	if (--ActiveRuns == 0)
		Counted += ScriptClock::now() - SpanStart;
}

CScriptEngineWork::CScriptEngineWork(asIScriptEngine*) : Before(setThreadMemoryAccount(nullptr))
{
}

CScriptEngineWork::~CScriptEngineWork()
{
	setThreadMemoryAccount(Before);
}

void SScriptRunClock::start()
{
	// Every script call starts a run: the clock is read once to begin it.
	const ScriptClock::time_point now = Budget->beginRun();
	Outermost = Budget->ActiveRuns == 1;
	if (Outermost)
	{
		Budget->RunDeadline = now + std::chrono::milliseconds(Budget->RunMs);
		Budget->RunRanOut = false;
	}
	if (!Budget->Builds.empty())
	{
		SScriptBudget::SBuild& build = Budget->Builds.back();
		if (!build.Started)
		{
			build.Started = true;
			build.Deadline = now + std::chrono::milliseconds(Budget->RunMs);
		}
		Deadline = build.Deadline;
		DeadlineKind = ESRE_BUILD_TIME;
	}
	else
	{
		Deadline = Budget->RunDeadline;
		DeadlineKind = ESRE_RUN_TIME;
		if (Budget->InFrame)
			tighten(*this, Budget->FrameDeadline, ESRE_FRAME_TIME);
	}
	if (Budget->Closing)
		tighten(*this, Budget->CloseDeadline, ESRE_CLOSE_TIME);
	// A run that starts out of time ends on its first line: deliveries that
	// start one another would otherwise never reach a look.
	StartedOutOfTime = !(now < Deadline);
	LinesUntilLook = StartedOutOfTime ? 0 : LINES_BETWEEN_LOOKS;
	RanOut = false;
	Ending = ESRE_NONE;
	Section = nullptr;
	Row = 0;
	Column = 0;
	AccountBefore = setThreadMemoryAccount(&scriptStringAccount());
}

bool SScriptRunClock::takeNestedEnding()
{
	// An abort the run met on its way out leaves it finished.
	if (!Outermost || !Budget->RunRanOut)
		return false;
	if (RanOut)
		return true;
	RanOut = true;
	Ending = static_cast<EScriptRunEnding>(Budget->RunEnding);
	Section = Budget->RanOutSection.c_str();
	Row = Budget->RanOutRow;
	Column = Budget->RanOutColumn;
	return true;
}

void SScriptRunClock::stop()
{
	setThreadMemoryAccount(AccountBefore);
	AccountBefore = nullptr;
	Budget->endRun();
}

void setUpScriptBudget(asIScriptEngine* engine)
{
	engine->SetEngineProperty(asEP_MAX_CALL_STACK_SIZE, SCRIPT_MAX_CALL_DEPTH);
	// The line callback then runs where a run can go on for long, at loops
	// and calls, not at every statement of every short callback.
	engine->SetEngineProperty(asEP_BUILD_WITHOUT_LINE_CUES, true);
	engine->SetContextUserDataCleanupCallback(endClock, CLOCK_DATA);
	engine->SetEngineUserDataCleanupCallback(endBudget, BUDGET_DATA);
	delete static_cast<SScriptBudget*>(engine->SetUserData(new SScriptBudget(), BUDGET_DATA));
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
	budget.Builds.emplace_back();
}

void endScriptBuild(SScriptBudget& budget)
{
	if (!budget.Builds.empty())
		budget.Builds.pop_back();
}

void beginScriptClose(SScriptBudget& budget)
{
	if (budget.Closing)
		return;
	budget.Closing = true;
	budget.CloseDeadline = budget.now() + std::chrono::milliseconds(budget.CloseMs);
}

void watchScriptTime(asIScriptContext* context)
{
	SScriptRunClock* clock = new SScriptRunClock();
	clock->Budget = getScriptBudget(context->GetEngine());
	delete static_cast<SScriptRunClock*>(context->SetUserData(clock, CLOCK_DATA));
	context->SetLineCallback(asFUNCTION(onScriptLine), clock, asCALL_CDECL);
}

SScriptRunClock* getScriptClock(asIScriptContext* context)
{
	return static_cast<SScriptRunClock*>(context->GetUserData(CLOCK_DATA));
}

} // namespace orv::script
