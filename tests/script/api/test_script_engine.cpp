#include <angelscript.h>
#include <gtest/gtest.h>

#include "engine/CGameEngine.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "support/engine_fixture.h"

namespace {

using namespace orv;

TEST(ScriptEngineStart, ClientModuleAndCallbackTable)
{
	test::CEngineSandbox sandbox;
	ASSERT_TRUE(sandbox.started());
	CGameEngine* engine = sandbox.engine();
	script::CScriptManager* scripts = engine->getScriptManager();
	ASSERT_NE(scripts, nullptr);
	EXPECT_EQ(scripts->callbackCount(), 12u);

	script::CScriptModule* client = engine->getClientModule();
	ASSERT_NE(client, nullptr);
	EXPECT_EQ(client, scripts->getModule("client"));
	// Made before the table was filled: no callback until code arrives.
	EXPECT_TRUE(client->getCallbackIds().empty());
	ASSERT_NE(engine->getClientBinding(), nullptr);
	EXPECT_EQ(engine->getClientBinding()->getModule(), client);
	EXPECT_NE(engine->getClientBinding()->getContext(), nullptr);

	AngelScript::asIScriptEngine* scriptEngine = scripts->getEngine();
	for (const char* type : {"GameEngine", "CameraManager", "GUIEngine", "ObjectManager", "PhysicsManager",
			 "SceneObject", "SceneObject_Physics"})
		EXPECT_NE(scriptEngine->GetTypeInfoByName(type), nullptr) << type;

	client->load("void Update(SceneObject@+ self, uint timeMS) {}", "main");
	EXPECT_GE(client->getCallbackId(0), 0);
	sandbox.tearDown();
}

} // namespace
