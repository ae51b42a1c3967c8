#include "script/ScriptBudget.h"

#include <angelscript.h>

namespace orv::script {

using namespace AngelScript;

namespace {

const irr::u32 LINES_BETWEEN_LOOKS = 256;
// The slot of a context's user data that holds its clock.
const asPWORD CLOCK_DATA = 0x4F525643;

void endClock(asIScriptContext* context)
{
	delete getScriptClock(context);
}

void onScriptLine(asIScriptContext* context, SScriptRunClock* clock)
{
	if (clock->LinesUntilLook-- > 0)
		return;
	clock->LinesUntilLook = LINES_BETWEEN_LOOKS;
	if (std::chrono::steady_clock::now() < clock->Deadline)
		return;
	// A run nested in this one shares its clock: once it is out, the outer
	// run is aborted at its next look as well.
	clock->RanOut = true;
	clock->Row = context->GetLineNumber(0, &clock->Column, &clock->Section);
	context->Abort();
}

} // namespace

void SScriptRunClock::start()
{
	Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(SCRIPT_RUN_BUDGET_MS);
	LinesUntilLook = LINES_BETWEEN_LOOKS;
	RanOut = false;
	Section = nullptr;
	Row = 0;
	Column = 0;
}

void setUpScriptBudget(asIScriptEngine* engine)
{
	engine->SetEngineProperty(asEP_MAX_CALL_STACK_SIZE, SCRIPT_MAX_CALL_DEPTH);
	engine->SetContextUserDataCleanupCallback(endClock, CLOCK_DATA);
}

void watchScriptTime(asIScriptContext* context)
{
	SScriptRunClock* clock = new SScriptRunClock();
	delete static_cast<SScriptRunClock*>(context->SetUserData(clock, CLOCK_DATA));
	context->SetLineCallback(asFUNCTION(onScriptLine), clock, asCALL_CDECL);
}

SScriptRunClock* getScriptClock(asIScriptContext* context)
{
	return static_cast<SScriptRunClock*>(context->GetUserData(CLOCK_DATA));
}

} // namespace orv::script
