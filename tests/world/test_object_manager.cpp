#include <gtest/gtest.h>

#include "script/CScriptModule.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/EngineAttributes.h"

using namespace orv;
using irr::core::ustring16;

namespace {

// The manager and the world are process singletons; each test starts with
// fresh ones and ends them.
class ObjectManagerTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		objects = CObjectManager::getInstance();
		objects->getObjectClass(nullptr, "blank");
	}
	void TearDown() override
	{
		CObjectManager::destroyInstance();
		CPhysicsManager::destroyInstance();
	}

	static int bodies() { return CPhysicsManager::getInstance()->getWorld()->GetBodyCount(); }

	CObjectManager* objects = nullptr;
};

} // namespace

TEST_F(ObjectManagerTest, ObjectsByTypeAndClass)
{
	objects->getObjectClass(nullptr, "door")->getAttributes().setString("locked", 7, "yes");
	struct Case
	{
		irr::u32 id;
		irr::u32 type;
		const char* className;
		bool made;
		ESceneObjectType kind;
	};
	const Case cases[] = {
		{1, 0, "", true, ESOT_DEFAULT},
		{2, 1, "blank", true, ESOT_STATIC},
		{3, 2, "door", true, ESOT_ANIMATED},
		{4, 3, "door", true, ESOT_TILED},
		{5, 7, "", true, ESOT_DEFAULT},
		{6, 1, "never asked for", false, ESOT_DEFAULT},
		{0, 1, "", false, ESOT_DEFAULT},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.id);
		CSceneObject* object = objects->createSceneObject(c.id, c.type, c.className);
		ASSERT_EQ(object != nullptr, c.made);
		EXPECT_EQ(objects->getSceneObject(c.id), object);
		if (!object)
			continue;
		EXPECT_EQ(object->getId(), c.id);
		EXPECT_EQ(object->getType(), c.kind);
		const ustring16 expectedClass = *c.className ? c.className : "blank";
		EXPECT_EQ(object->getObjectClass()->getName(), expectedClass);
		EXPECT_EQ(object->getClassAttributes().findByName("locked") != nullptr, expectedClass == ustring16("door"));
		EXPECT_EQ(object->getEngineAttributes().size(), 14u);
		EXPECT_FALSE(object->Physics.owner);
		EXPECT_NE(object->Physics.getLiveBody(), nullptr);
	}
	EXPECT_EQ(objects->getSceneObjects().size(), 5u);
	EXPECT_EQ(bodies(), 5);
}

TEST_F(ObjectManagerTest, TheSameIdTwiceGivesTheFirstObject)
{
	objects->getObjectClass(nullptr, "door");
	CSceneObject* first = objects->createSceneObject(9, 1, "blank");
	EXPECT_EQ(objects->createSceneObject(9, 3, "door"), first);
	EXPECT_EQ(first->getType(), ESOT_STATIC);
	EXPECT_EQ(first->getObjectClass()->getName(), ustring16("blank"));
	EXPECT_EQ(bodies(), 1);
}

TEST_F(ObjectManagerTest, LookupsNeverAddEntries)
{
	EXPECT_EQ(objects->getSceneObject(0), nullptr);
	EXPECT_EQ(objects->getSceneObject(77), nullptr);
	EXPECT_EQ(objects->findObjectClass("nobody"), nullptr);
	EXPECT_FALSE(objects->remove(77));
	EXPECT_FALSE(objects->remove(0));
	EXPECT_TRUE(objects->getSceneObjects().empty());
	EXPECT_EQ(objects->getObjectClasses().size(), 1u);

	CSceneObject* made = objects->createSceneObject(77, 0, "");
	ASSERT_NE(made, nullptr);
	EXPECT_EQ(objects->getSceneObject(77), made);
	for (const auto& entry : objects->getSceneObjects())
		EXPECT_NE(entry.second, nullptr);
}

TEST_F(ObjectManagerTest, ClassesAreMadeOnceByName)
{
	CObjectClass* door = objects->getObjectClass(nullptr, "door");
	EXPECT_EQ(objects->getObjectClass(nullptr, "door"), door);
	EXPECT_EQ(objects->findObjectClass("door"), door);
	EXPECT_EQ(objects->findObjectClass("Door"), nullptr);
	ASSERT_NE(door->getModule(), nullptr);
	EXPECT_EQ(door->getModule()->getName(), irr::core::stringc("door"));
}

TEST_F(ObjectManagerTest, OwnModuleIsNamedAfterTheId)
{
	CSceneObject* object = objects->createSceneObject(42, 0, "");
	ASSERT_NE(object->getModule(), nullptr);
	EXPECT_EQ(object->getModule()->getName(), irr::core::stringc("scene_object_42"));
	EXPECT_EQ(object->getModule()->getKind(), script::ESMK_OBJECT);
}

TEST_F(ObjectManagerTest, RemovalWhileHeldKeepsTheObjectUntilItsLastDrop)
{
	CSceneObject* object = objects->createSceneObject(3, 3, "");
	object->grab();
	EXPECT_TRUE(objects->remove(3));
	EXPECT_EQ(objects->getSceneObject(3), nullptr);
	// The holder keeps the object, not its place in the world.
	EXPECT_EQ(bodies(), 0);
	EXPECT_EQ(object->getBody(), nullptr);
	EXPECT_EQ(object->getId(), 3u);
	EXPECT_EQ(object->getType(), ESOT_TILED);
	EXPECT_TRUE(object->drop());
	EXPECT_EQ(bodies(), 0);

	// Unheld, removal ends the object at once.
	objects->createSceneObject(4, 0, "");
	EXPECT_TRUE(objects->remove(4));
	EXPECT_EQ(bodies(), 0);
}

TEST_F(ObjectManagerTest, TheManagersEndLetsHeldObjectsLiveWithoutTheirClass)
{
	CSceneObject* held = objects->createSceneObject(1, 1, "");
	objects->createSceneObject(2, 1, "");
	held->grab();
	CObjectManager::destroyInstance();
	EXPECT_EQ(CObjectManager::getExistingInstance(), nullptr);
	EXPECT_EQ(bodies(), 1);
	EXPECT_EQ(held->getObjectClass(), nullptr);
	EXPECT_TRUE(held->drop());
	EXPECT_EQ(bodies(), 0);
}

TEST_F(ObjectManagerTest, AnObjectOutlivingTheWorldEndsWithoutMakingOne)
{
	CSceneObject* held = objects->createSceneObject(1, 2, "");
	held->grab();
	CObjectManager::destroyInstance();
	CPhysicsManager::destroyInstance();
	EXPECT_EQ(held->Physics.getLiveBody(), nullptr);
	EXPECT_EQ(held->getBody(), nullptr);
	EXPECT_EQ(held->getRotation(), 0.0f);
	EXPECT_TRUE(held->drop());
	EXPECT_EQ(CPhysicsManager::getExistingInstance(), nullptr);
}

TEST_F(ObjectManagerTest, OnlyStaticAndAnimatedObjectsKeepAnImage)
{
	struct Case
	{
		irr::u32 type;
		bool keeps;
	};
	const Case cases[] = {{0, false}, {1, true}, {2, true}, {3, false}};
	irr::u32 id = 1;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.type);
		CSceneObject* object = objects->createSceneObject(id++, c.type, "");
		object->setImage("tree.png");
		EXPECT_EQ(object->getImage(), ustring16(c.keeps ? "tree.png" : ""));
		EXPECT_EQ(object->isEngineAttributeChanged(EP_IMAGE), c.keeps);
		EXPECT_EQ(object->getEngineAttribute(EP_IMAGE)->getString(), ustring16(c.keeps ? "tree.png" : ""));
		object->getChangedEngineAttributes().clear();
		object->setImage("tree.png");
		EXPECT_TRUE(object->getChangedEngineAttributes().empty());
	}
}
