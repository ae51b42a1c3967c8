#include "script/ScriptBudget.h"

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
	if (clock->LinesUntilLook-- > 0)
		return;
	clock->LinesUntilLook = LINES_BETWEEN_LOOKS;
	SScriptBudget& budget = *clock->Budget;
	const ScriptClock::time_point now = budget.now();
	// A run nested in this one may have spent the frame's time.
	if (now < clock->Deadline && !budget.frameSpent())
		return;
	// Runs this one is nested in share its deadline: once it is out, they
	// are aborted at their next line as well.
	clock->LinesUntilLook = 0;
	clock->RanOut = true;
	clock->FrameRanOut = budget.InFrame && (budget.FrameSpent || now >= budget.FrameDeadline);
	if (clock->FrameRanOut)
		budget.FrameSpent = true;
	clock->Row = context->GetLineNumber(0, &clock->Column, &clock->Section);
	context->Abort();
}

} // namespace

ScriptClock::time_point SScriptBudget::now() const
{
	ScriptClock::duration spent = Counted;
	if (counting())
		spent += ScriptClock::now() - SpanStart;
	return ScriptClock::time_point(spent);
}

ScriptClock::time_point SScriptBudget::beginActivity(bool isRun)
{
	const ScriptClock::time_point real = ScriptClock::now();
	if (counting())
		Counted += real - SpanStart;
	Activities.push_back(isRun);
	SpanStart = real;
	return ScriptClock::time_point(Counted);
}

void SScriptBudget::endActivity()
{
	if (Activities.empty())
		return;
	const ScriptClock::time_point real = ScriptClock::now();
	if (counting())
		Counted += real - SpanStart;
	Activities.pop_back();
	SpanStart = real;
}

CScriptEngineWork::CScriptEngineWork(asIScriptEngine* engine) : Budget(engine ? getScriptBudget(engine) : nullptr)
{
	if (Budget)
		Budget->beginActivity(false);
}

CScriptEngineWork::~CScriptEngineWork()
{
	if (Budget)
		Budget->endActivity();
}

void SScriptRunClock::start()
{
	// Every script call starts a run: the clock is read once to begin it.
	const ScriptClock::time_point now = Budget->beginActivity(true);
	if (Budget->ActiveRuns++ == 0)
		Budget->RunDeadline = now + std::chrono::milliseconds(Budget->RunMs);
	Deadline = Budget->InFrame ? std::min(Budget->RunDeadline, Budget->FrameDeadline) : Budget->RunDeadline;
	// A run that starts out of time ends on its first line: deliveries that
	// start one another would otherwise never reach a look.
	LinesUntilLook = now < Deadline ? LINES_BETWEEN_LOOKS : 0;
	RanOut = false;
	FrameRanOut = false;
	Section = nullptr;
	Row = 0;
	Column = 0;
}

void SScriptRunClock::stop()
{
	if (Budget->ActiveRuns > 0)
		--Budget->ActiveRuns;
	Budget->endActivity();
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
