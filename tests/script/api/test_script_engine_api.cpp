#include <cstring>
#include <string>
#include <vector>

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "scene/CCameraManager.h"
#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/EngineAttributes.h"

namespace {

using namespace orv;
using namespace AngelScript;

// Keeps the log lines the device's logger hands to its receiver.
class CLogRecorder : public irr::IEventReceiver
{
public:
	bool OnEvent(const irr::SEvent& event) override
	{
		if (event.EventType == irr::EET_LOG_TEXT_EVENT)
			Lines.push_back(event.LogEvent.Text);
		return true;
	}
	std::vector<std::string> Lines;
};

// Scripts run in a module of the engine's own script host, so they see the
// "Engine" and "Camera" globals start-up registered.
class EngineScriptAPI : public test::EngineTest
{
protected:
	void SetUp() override
	{
		test::EngineTest::SetUp();
		module = engine().getScriptManager()->getModule("api_test");
		ASSERT_NE(module, nullptr);
		objects = CObjectManager::getInstance();
	}

	void load(const std::string& code)
	{
		module->load(code.c_str(), "main");
		ASSERT_NE(module->getEngineModule(), nullptr);
		ASSERT_NE(module->getEngineModule()->GetFunctionByDecl("void main()"), nullptr) << "the code did not build";
	}

	// Runs the function and returns its 32-bit result (0 for void).
	asDWORD call(const char* declaration)
	{
		asIScriptFunction* function = module->getEngineModule()->GetFunctionByDecl(declaration);
		EXPECT_NE(function, nullptr) << declaration;
		if (!function)
			return 0;
		asIScriptContext* context = engine().getScriptManager()->getEngine()->CreateContext();
		context->Prepare(function);
		EXPECT_EQ(context->Execute(), asEXECUTION_FINISHED) << declaration;
		const asDWORD result = function->GetReturnTypeId() == asTYPEID_VOID ? 0 : context->GetReturnDWord();
		context->Release();
		return result;
	}

	irr::u32 refs(CSceneObject* object)
	{
		object->grab();
		return object->drop() ? 0 : object->getReferenceCount();
	}

	script::CScriptModule* module = nullptr;
	CObjectManager* objects = nullptr;
};

TEST_F(EngineScriptAPI, CreateSceneObjectTakesTheNextIdOffline)
{
	load(R"AS(
SceneObject@ kept;
bool made() {
	@kept = Engine.create_sceneobject("blank", ESOT_STATIC);
	SceneObject@ second = Engine.create_sceneobject("blank", ESOT_TILED);
	return kept !is null && second !is null;
}
bool unknownClass() { return Engine.create_sceneobject("no such class", ESOT_STATIC) is null; }
bool online() { return Engine.create_sceneobject("blank", ESOT_STATIC) is null; }
void release() { @kept = null; }
void main() {}
)AS");
	objects->createSceneObject(7, ESOT_DEFAULT, "");
	EXPECT_TRUE(call("bool made()"));
	ASSERT_NE(objects->getSceneObject(8), nullptr);
	ASSERT_NE(objects->getSceneObject(9), nullptr);
	EXPECT_EQ(objects->getSceneObject(8)->getType(), ESOT_STATIC);
	EXPECT_EQ(objects->getSceneObject(9)->getType(), ESOT_TILED);
	EXPECT_TRUE(objects->getSceneObject(8)->Physics.owner);
	EXPECT_EQ(engine().getSceneNodes().count(objects->getSceneObject(9)), 1u);
	// The manager's and the global's; the released handle gave its own back.
	EXPECT_EQ(refs(objects->getSceneObject(8)), 2u);
	EXPECT_EQ(refs(objects->getSceneObject(9)), 1u);
	call("void release()");
	EXPECT_EQ(refs(objects->getSceneObject(8)), 1u);

	EXPECT_TRUE(call("bool unknownClass()"));
	EXPECT_EQ(objects->getSceneObjects().size(), 3u);

	// The largest id taken: the lowest free one, never 0.
	objects->createSceneObject(0xFFFFFFFFu, ESOT_DEFAULT, "");
	EXPECT_FALSE(call("bool online()"));
	EXPECT_NE(objects->getSceneObject(1), nullptr);
	EXPECT_EQ(objects->getSceneObject(0), nullptr);

	engine().setOnline(true);
	EXPECT_TRUE(call("bool online()"));
	EXPECT_EQ(objects->getSceneObjects().size(), 5u);
	engine().setOnline(false);
}

TEST_F(EngineScriptAPI, NoObjectIsMadeWhileTheWorldSteps)
{
	const char* const script =
		"int made = 0; int refused = 0;\n"
		"void OnBeginContact(SceneObject@+ self, SceneObject@+ other) {\n"
		"  if (Engine.create_sceneobject(\"blank\", ESOT_STATIC) is null) refused++; else made++; }\n";
	std::vector<CSceneObject*> balls;
	for (irr::u32 id : {1u, 2u})
	{
		CSceneObject* ball = engine().createSceneObject(id, ESOT_DEFAULT, "");
		ball->Physics.addCollisionCircle(1.0f, irr::core::vector2df(0, 0));
		ball->Physics.setType(EBT_DYNAMIC);
		ball->Physics.setVelocity(irr::core::vector2df(id == 1 ? 10.0f : -10.0f, 0));
		ball->getEngineAttribute(EP_X)->setFloat(id == 1 ? 0.0f : 48.0f);
		ball->markEngineAttributeChanged(EP_X);
		CSceneObject::syncFromBody(ball);
		ball->getModule()->load(script, "main");
		balls.push_back(ball);
	}
	CLogRecorder recorder;
	engine().getDevice()->setEventReceiver(&recorder);
	for (int i = 0; i < 10; ++i)
		CPhysicsManager::getInstance()->update(1.0f / 30.0f);
	engine().getDevice()->setEventReceiver(nullptr);

	int refused = 0;
	for (CSceneObject* ball : balls)
	{
		AngelScript::asIScriptModule* code = ball->getModule()->getEngineModule();
		EXPECT_EQ(*static_cast<int*>(code->GetAddressOfGlobalVar(code->GetGlobalVarIndexByName("made"))), 0);
		refused += *static_cast<int*>(code->GetAddressOfGlobalVar(code->GetGlobalVarIndexByName("refused")));
	}
	EXPECT_GE(refused, 1);
	EXPECT_EQ(objects->getSceneObjects().size(), 2u);
	ASSERT_FALSE(recorder.Lines.empty());
	EXPECT_EQ(recorder.Lines[0], "script: create_sceneobject is refused while the physics world steps.");
}

TEST_F(EngineScriptAPI, KeysLogEventsAndThePlayer)
{
	load(R"AS(
bool key(uint code) { return Engine.keydown(code); }
bool key255() { return Engine.keydown(255); }
bool key254() { return Engine.keydown(254); }
bool keyHuge() { return Engine.keydown(0xFFFFFFFF); }
void logBoth() { Engine.log(""); Engine.log("hello"); }
uint events() { return Engine.send_event(null, "e", "d", vector2df(0, 0), 100); }
bool playerIs7() { @Engine.Player = Objects.get_scene_object(7); return Engine.Player is Objects.get_scene_object(7); }
bool noPlayer() { @Engine.Player = null; return Engine.Player is null; }
void main() {}
)AS");
	engine().setKeyState(254, true);
	EXPECT_TRUE(call("bool key254()"));
	EXPECT_FALSE(call("bool key255()"));
	EXPECT_FALSE(call("bool keyHuge()"));

	CLogRecorder recorder;
	engine().getDevice()->setEventReceiver(&recorder);
	call("void logBoth()");
	engine().getDevice()->setEventReceiver(nullptr);
	EXPECT_EQ(recorder.Lines, (std::vector<std::string>{"script: ", "script: hello"}));

	// Nothing listens: no delivery.
	EXPECT_EQ(call("uint events()"), 0u);

	CSceneObject* player = engine().createSceneObject(7, ESOT_STATIC, "");
	EXPECT_TRUE(call("bool playerIs7()"));
	EXPECT_EQ(engine().getPlayerObject(), player);
	EXPECT_EQ(refs(player), 1u);
	EXPECT_TRUE(call("bool noPlayer()"));
	EXPECT_EQ(engine().getPlayerObject(), nullptr);
	EXPECT_EQ(refs(player), 1u);
}

TEST_F(EngineScriptAPI, CameraAccessors)
{
	load(R"AS(
float farZ() { return Camera.FarZ; }
void setFar() { Camera.FarZ = 800; }
void follow(uint id) { @Camera.Follow = Objects.get_scene_object(id); }
bool following(uint id) { return Camera.Follow is Objects.get_scene_object(id) && Camera.Follow !is null; }
bool still() { return Camera.Follow is null; }
void place() { Camera.Position = vector3df(3, 4, 0); }
bool limits() {
	Camera.ViewLimit = rectf(1, 2, 3, 4);
	Camera.UseViewLimit = true;
	Camera.KeepOrthographic = false;
	return Camera.ViewLimit == rectf(1, 2, 3, 4) && Camera.UseViewLimit && !Camera.KeepOrthographic;
}
void main() {}
)AS");
	asDWORD bits = call("float farZ()");
	irr::f32 value;
	std::memcpy(&value, &bits, sizeof(value));
	EXPECT_FLOAT_EQ(value, 5000.0f);
	call("void setFar()");
	EXPECT_FLOAT_EQ(CCameraManager::getExistingInstance()->getFarZ(), 800.0f);

	CSceneObject* shown = engine().createSceneObject(3, ESOT_STATIC, "");
	objects->createSceneObject(4, ESOT_STATIC, ""); // never put into the scene
	module->getEngineModule()->GetFunctionByDecl("void follow(uint)");
	asIScriptContext* context = engine().getScriptManager()->getEngine()->CreateContext();
	for (irr::u32 id : {3u, 4u})
	{
		context->Prepare(module->getEngineModule()->GetFunctionByDecl("void follow(uint)"));
		context->SetArgDWord(0, id);
		EXPECT_EQ(context->Execute(), asEXECUTION_FINISHED);
	}
	context->Release();
	EXPECT_EQ(CCameraManager::getExistingInstance()->getFollowed(), shown);
	// The manager's reference and the camera's.
	EXPECT_EQ(refs(shown), 2u);
	call("void place()");
	EXPECT_TRUE(call("bool still()"));
	EXPECT_EQ(refs(shown), 1u);
	// Read back at once, not after the next draw.
	EXPECT_EQ(CCameraManager::getExistingInstance()->getPosition(), irr::core::vector3df(3, 4, 0));
	EXPECT_EQ(CCameraManager::getExistingInstance()->getCamera()->getPosition(), irr::core::vector3df(3, 4, 0));
	EXPECT_TRUE(call("bool limits()"));
}

TEST_F(EngineScriptAPI, LoadLevelLoadsAtOnceAndRestartsTheClock)
{
	sandbox->folder().write("one.xml", "<orvlevel version=\"1\"><sceneobjects><object/></sceneobjects></orvlevel>");
	irr::ITimer* timer = engine().getDevice()->getTimer();
	timer->stop();
	timer->setTime(5000);
	engine().setLastFrameTime(1000);
	CPhysicsManager::getInstance()->setAccumulator(0.05f);
	load("void main() { Engine.load_level(\"one.xml\"); Engine.load_level(\"none.xml\"); }");
	call("void main()");
	EXPECT_EQ(objects->getSceneObjects().size(), 1u);
	EXPECT_EQ(engine().getLastFrameTime(), 5000u) << "the time spent loading is not simulated";
	EXPECT_EQ(CPhysicsManager::getInstance()->getAccumulator(), 0.0f);
	timer->start();
}

} // namespace
