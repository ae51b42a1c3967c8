#include "support/script_runner.h"

#include <angelscript.h>
#include <gtest/gtest.h>

namespace {

using orv::test::CScriptRunner;

// Every declaration of the whole value-type set must be accepted: the engine
// reports a refusal only as a message, so any message at all is a fault.
TEST(ScriptRegistration, WholeSetRegistersWithoutMessages)
{
	CScriptRunner runner;
	for (const auto& m : runner.messages())
		ADD_FAILURE() << "registration message: " << m.Section << " (" << m.Row << ", " << m.Column << ") " << m.Text;
	EXPECT_TRUE(runner.messages().empty());
	// The engine refuses nothing until it is first used; a build forces it.
	EXPECT_TRUE(runner.runScript("void main() { check(true, \"ok\"); }"));
	EXPECT_TRUE(runner.messages().empty());
}

} // namespace

namespace {

// A member missing from a registrar produces no message at all; the counts of
// each type's rows catch it.
TEST(ScriptRegistration, GeometryTypesRegisterEveryRow)
{
	struct Case
	{
		const char* type;
		AngelScript::asUINT behaviours; // constructors and the destructor
		AngelScript::asUINT methods;
		AngelScript::asUINT properties;
	};
	const Case cases[] = {
		{"dimension2df", 3, 16, 2},
		{"dimension2di", 3, 16, 2},
		{"vector2df", 5, 37, 2},
		{"vector2di", 5, 37, 2},
		{"vector3df", 5, 46, 3},
		{"vector3di", 5, 46, 3},
	};
	CScriptRunner runner;
	for (const Case& c : cases)
	{
		AngelScript::asITypeInfo* type = runner.engine()->GetTypeInfoByName(c.type);
		ASSERT_NE(type, nullptr) << c.type;
		EXPECT_EQ(type->GetBehaviourCount(), c.behaviours) << c.type;
		EXPECT_EQ(type->GetMethodCount(), c.methods) << c.type;
		EXPECT_EQ(type->GetPropertyCount(), c.properties) << c.type;
	}
}

} // namespace
