// Objects the world removes while scripts still hold them: out of physics and
// the scene at once, harmless to touch, and a clean teardown after.

#include <string>

#include <angelscript.h>
#include <box2d/box2d.h>
#include <gtest/gtest.h>

#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

namespace orv {
namespace {

class RemovedObjects : public test::EngineTest
{
protected:
	static b2World* world() { return CPhysicsManager::getInstance()->getWorld(); }

	CSceneObject* make(irr::u32 id, irr::u32 type)
	{
		CSceneObject* object = engine().createSceneObject(id, type, "");
		EXPECT_NE(object, nullptr);
		if (object)
			object->Physics.addCollisionCircle(1.0f, {0.0f, 0.0f});
		return object;
	}

	void runClient(const std::string& code)
	{
		engine().getClientModule()->load(code.c_str(), "main");
		ASSERT_NE(engine().getClientModule()->getCallbackId(script::ESC_CREATED), AngelScript::asNO_FUNCTION);
		engine().getClientBinding()->callCallback(script::ESC_CREATED, net::packet(), nullptr);
	}

	static int clientGlobal(CGameEngine& engine, const char* name)
	{
		AngelScript::asIScriptModule* module = engine.getClientModule()->getEngineModule();
		const int index = module->GetGlobalVarIndexByName(name);
		return index < 0 ? -1 : *static_cast<int*>(module->GetAddressOfGlobalVar(index));
	}
};

TEST_F(RemovedObjects, ClientScriptHoldsFourRemovedObjectsThroughTeardown)
{
	for (irr::u32 id = 1; id <= 4; ++id)
		make(id, id % 4);
	ASSERT_EQ(world()->GetBodyCount(), 4);
	runClient("array<SceneObject@> held;\n"
			  "void Created(SceneObject@+ self) {\n"
			  "  for (uint i = 1; i <= 4; i++) held.insertLast(Objects.get_scene_object(i)); }\n");

	for (irr::u32 id = 1; id <= 4; ++id)
		EXPECT_TRUE(engine().removeSceneObject(id));
	// Held or not, they no longer collide.
	EXPECT_EQ(world()->GetBodyCount(), 0);

	// Teardown lets the client module go first; its array held the last
	// reference of every object, and each object's own module goes with it.
	sandbox->tearDown();
	EXPECT_EQ(CObjectManager::getExistingInstance(), nullptr);
}

TEST_F(RemovedObjects, ObjectWhoseOwnScriptHoldsItIsTakenOutAndEndsAtTeardown)
{
	struct Case
	{
		const char* name;
		irr::u32 type;
	} cases[] = {{"plain", ESOT_DEFAULT}, {"static", ESOT_STATIC}, {"animated", ESOT_ANIMATED}, {"tiled", ESOT_TILED}};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		sandbox.reset();
		sandbox.reset(new test::CEngineSandbox());
		ASSERT_TRUE(sandbox->started());
		engine().setGameRunning(true);
		CSceneObject* object = make(7, c.type);
		object->getModule()->load("SceneObject@ me;\n"
								  "void Created(SceneObject@+ self) { @me = self; }\n",
			"main");
		object->getBinding()->callCallback(script::ESC_CREATED, net::packet(), object);
		ASSERT_EQ(world()->GetBodyCount(), 1);

		ASSERT_TRUE(engine().removeSceneObject(7));
		EXPECT_EQ(world()->GetBodyCount(), 0);
		EXPECT_EQ(engine().getSceneNodes().size(), 0u);

		// The client reaches it through a handle it kept from before.
		runClient("int answered = 0;\n"
				  "void Created(SceneObject@+ self) {}\n"
				  "void touch(SceneObject@ o) {\n"
				  "  o.Position = vector3df(5, 6, 7); o.Rotation = 45; o.Scale = vector2df(2, 2);\n"
				  "  o.Physics.Type = EBT_DYNAMIC; o.Physics.add_collision_circle(1, vector2df(0, 0));\n"
				  "  o.Physics.apply_impulse(vector2df(1, 1), vector2df(0, 0));\n"
				  "  o.Physics.Velocity = vector2df(3, 3); o.set_attribute('hp', 3);\n"
				  "  if (o.Position.X == 0 && o.Rotation == 0 && o.Physics.Velocity.X == 0) answered++;\n"
				  "  StaticSceneObject@ s = cast<StaticSceneObject>(o); if (s !is null) s.Image = 'x.png';\n"
				  "  AnimatedSceneObject@ a = cast<AnimatedSceneObject>(o);\n"
				  "  if (a !is null) { a.Direction = 2; a.set_animation('walk.gani'); }\n"
				  "  TiledSceneObject@ t = cast<TiledSceneObject>(o); if (t !is null) t.Tileset = 'tiles.png';\n"
				  "}\n");
		AngelScript::asIScriptModule* client = engine().getClientModule()->getEngineModule();
		AngelScript::asIScriptFunction* touch = client->GetFunctionByName("touch");
		ASSERT_NE(touch, nullptr);
		AngelScript::asIScriptContext* context = client->GetEngine()->CreateContext();
		context->Prepare(touch);
		context->SetArgObject(0, object);
		EXPECT_EQ(context->Execute(), AngelScript::asEXECUTION_FINISHED);
		context->Release();
		EXPECT_EQ(clientGlobal(engine(), "answered"), 1);

		// Frames go on without it.
		EXPECT_TRUE(engine().update());
		EXPECT_EQ(world()->GetBodyCount(), 0);
		EXPECT_EQ(engine().getSceneNodes().size(), 0u);

		// Its module holds its last reference: the module goes once, at teardown.
		sandbox->tearDown();
	}
}

} // namespace
} // namespace orv
