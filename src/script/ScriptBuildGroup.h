#pragma once
// The builds one load of a level or of class definitions asks for, which
// share SCRIPT_LOAD_BUILD_BUDGET_MS.

#include "script/ScriptBudget.h"

namespace orv::script {

//! While one lives on the thread that builds, every build shares the
//! group's budget; groups made inside it join the outermost.
class CScriptBuildGroup
{
public:
	CScriptBuildGroup();
	~CScriptBuildGroup();
	CScriptBuildGroup(const CScriptBuildGroup&) = delete;
	CScriptBuildGroup& operator=(const CScriptBuildGroup&) = delete;

	//! The open group's time is gone: a build asked for now is refused.
	static bool spent();
	//! True for the first refusal of the open group only: it is the one
	//! logged, however many builds the group would have made.
	static bool firstRefusal();
	//! What a build of the open group took; nothing without a group.
	static void add(ScriptClock::duration time);
};

} // namespace orv::script
