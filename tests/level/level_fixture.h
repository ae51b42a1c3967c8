#pragma once
// Levels loaded by the real engine on the null device, from files written
// into its folder; the log lines of the device kept as "channel: message".

#include <string>
#include <vector>

#include <angelscript.h>
#include <box2d/box2d.h>
#include <irrlicht.h>

#include "level/CLevelLoader.h"
#include "script/CScriptModule.h"
#include "support/CLogLines.h"
#include "support/engine_fixture.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

namespace orv {
namespace test {

class LevelTest : public EngineTest
{
protected:
	void SetUp() override
	{
		EngineTest::SetUp();
		engine().getDevice()->getLogger()->setLogLevel(irr::ELL_INFORMATION);
		engine().getDevice()->setEventReceiver(&log);
	}
	void TearDown() override
	{
		engine().getDevice()->setEventReceiver(nullptr);
		EngineTest::TearDown();
	}

	void write(const std::string& name, const std::string& text) { sandbox->folder().write(name, text); }
	void load(const std::string& name)
	{
		CLevelLoader::getInstance()->loadLevel(engine().getDevice(), irr::core::ustring16(name.c_str()));
	}

	static CObjectManager& objects() { return *CObjectManager::getInstance(); }
	static CSceneObject* object(irr::u32 id) { return objects().getSceneObject(id); }
	//! Objects other than those the engine made itself.
	static size_t objectCount() { return objects().getSceneObjects().size(); }
	bool hasNode(CSceneObject* o) { return o && engine().getSceneNodes().count(o) != 0; }
	//! The engine took it in: it follows its body from now on.
	static bool joined(const CSceneObject* o) { return o && o->Physics.owner; }

	static std::vector<const b2Fixture*> fixtures(const CSceneObject* o)
	{
		std::vector<const b2Fixture*> all;
		if (o && o->getBody())
			for (const b2Fixture* f = o->getBody()->GetFixtureList(); f; f = f->GetNext())
				all.insert(all.begin(), f); // Box2D lists the newest first
		return all;
	}

	//! An int global of the object's own script; -1 when it has none.
	static int global(const CSceneObject* o, const char* name)
	{
		AngelScript::asIScriptModule* module = o && o->getModule() ? o->getModule()->getEngineModule() : nullptr;
		const int index = module ? module->GetGlobalVarIndexByName(name) : -1;
		return index < 0 ? -1 : *static_cast<int*>(module->GetAddressOfGlobalVar(index));
	}

	//! Removes every object, as a new game would find the world.
	void clearObjects()
	{
		std::vector<irr::u32> ids;
		for (const auto& entry : objects().getSceneObjects())
			ids.push_back(entry.first);
		for (irr::u32 id : ids)
			engine().removeSceneObject(id);
	}

	CLogLines log;
};

} // namespace test
} // namespace orv
