#include "script/ScriptBuildGroup.h"

#include <chrono>

namespace orv::script {

namespace {

struct SBuildGroupState
{
	unsigned Depth = 0;
	ScriptClock::duration Spent{0};
	bool Refused = false;
};

thread_local SBuildGroupState group;

} // namespace

CScriptBuildGroup::CScriptBuildGroup()
{
	if (group.Depth++ == 0)
		group = SBuildGroupState{1};
}

CScriptBuildGroup::~CScriptBuildGroup()
{
	--group.Depth;
}

bool CScriptBuildGroup::spent()
{
	return group.Depth > 0 && group.Spent >= std::chrono::milliseconds(SCRIPT_LOAD_BUILD_BUDGET_MS);
}

bool CScriptBuildGroup::firstRefusal()
{
	const bool first = !group.Refused;
	group.Refused = true;
	return first;
}

void CScriptBuildGroup::add(ScriptClock::duration time)
{
	if (group.Depth > 0)
		group.Spent += time;
}

} // namespace orv::script
