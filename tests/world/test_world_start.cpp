#include <gtest/gtest.h>

#include <box2d/box2d.h>

#include "script/CScriptManager.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/api/ScriptCallbackTable.h"
#include "script/api/WorldAPI.h"
#include "support/CRecordingLogger.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/ContactCallbacks.h"
#include "world/EngineAttributes.h"

using namespace orv;
using irr::core::vector2df;

namespace {

// Both objects carry it: only the object of fixture A hears the begin of a
// contact, and it is asked first before the contact is solved. The global keeps the
// other object alive until the scripts are let go.
const char* const CONTACT_SCRIPT =
	"SceneObject@ kept;\n"
	"void OnBeginContact(SceneObject@+ self, SceneObject@+ other)\n"
	"{ self.set_attribute(\"touched\", other.Position.X); @kept = other; }\n"
	"bool OnSolveContact(SceneObject@+ self, SceneObject@+ other, vector2df normal, vector2df self_point,"
	" vector2df other_point)\n"
	"{ self.set_attribute(\"asked\", other.Position.X); return false; }\n";

CSceneObject* makeBall(irr::u32 id, float x, float speed, const char* script)
{
	CSceneObject* ball = CObjectManager::getInstance()->createSceneObject(id, 1, "");
	ball->Physics.owner = true;
	ball->Physics.addCollisionCircle(1.0f, vector2df(0, 0));
	ball->Physics.setType(EBT_DYNAMIC);
	ball->Physics.setVelocity(vector2df(speed, 0));
	ball->getEngineAttribute(EP_X)->setFloat(x * 16);
	ball->markEngineAttributeChanged(EP_X);
	CSceneObject::syncFromBody(ball);
	if (script)
		ball->getModule()->load(script, "main");
	return ball;
}

float classFloat(CSceneObject* object, const char* name)
{
	const SAttribute* attribute = object->getClassAttributes().findByName(name);
	return attribute ? attribute->getFloat() : -1.0f;
}

} // namespace

TEST(WorldStart, StartUpMakesTheBlankClassAndTeardownEndsHeldObjects)
{
	test::CEngineSandbox sandbox;
	ASSERT_TRUE(sandbox.started());
	CObjectClass* blank = CObjectManager::getInstance()->findObjectClass("blank");
	ASSERT_NE(blank, nullptr);
	ASSERT_NE(blank->getModule(), nullptr);
	EXPECT_EQ(blank->getModule()->getScriptManager(), sandbox.engine()->getScriptManager());

	CSceneObject* held = makeBall(1, 0, 10, nullptr);
	makeBall(2, 3, -10, nullptr);
	makeBall(3, 9, 0, nullptr);
	CPhysicsManager::getInstance()->update(0.5f);
	held->grab();
	CObjectManager::getInstance()->remove(2);
	sandbox.tearDown();
	EXPECT_EQ(CObjectManager::getExistingInstance(), nullptr);
	EXPECT_EQ(CPhysicsManager::getExistingInstance(), nullptr);
	EXPECT_EQ(CGameEngine::peekInstance(), nullptr);
	// The last holder lets go after everything else has gone; nothing comes back.
	EXPECT_TRUE(held->drop());
	EXPECT_EQ(CPhysicsManager::getExistingInstance(), nullptr);
	EXPECT_EQ(CObjectManager::getExistingInstance(), nullptr);
}

TEST(WorldStart, ContactsReachTheScriptsOfBothObjects)
{
	test::CRecordingLogger logger;
	{
		script::CScriptManager scripts(&logger, script::registerWorldAPI);
		script::registerScriptCallbacks(scripts, nullptr);
		CObjectManager::getInstance()->getObjectClass(&scripts, "blank");
		CPhysicsManager::getInstance()->setContactCallbacks(onBeginContact, onEndContact, onSolveContact);

		CSceneObject* left = makeBall(1, 0, 10, CONTACT_SCRIPT);
		CSceneObject* right = makeBall(2, 3, -10, CONTACT_SCRIPT);
		ASSERT_NE(left->getBinding()->getContext(), nullptr);
		for (int i = 0; i < 10; ++i)
			CPhysicsManager::getInstance()->update(1.0f / 30.0f);

		// The object of fixture A heard the begin with the other, was asked
		// first and vetoed, so the other was never asked and the two passed
		// through each other.
		const bool leftIsA = classFloat(left, "touched") == 48.0f;
		CSceneObject* a = leftIsA ? left : right;
		CSceneObject* b = leftIsA ? right : left;
		const float otherX = leftIsA ? 48.0f : 0.0f;
		EXPECT_EQ(classFloat(a, "touched"), otherX);
		EXPECT_EQ(classFloat(a, "asked"), otherX);
		EXPECT_EQ(classFloat(b, "touched"), -1.0f);
		EXPECT_EQ(classFloat(b, "asked"), -1.0f);
		EXPECT_GT(left->Physics.body->GetPosition().x, right->Physics.body->GetPosition().x);

		// The order of the program's end: scripts, objects, world.
		scripts.releaseScripts();
		CObjectManager::destroyInstance();
		CPhysicsManager::destroyInstance();
	}
	for (const test::SLoggedLine& line : logger.lines)
		ADD_FAILURE() << line.text << ": " << line.hint;
}
