#include "world/CObjectManager.h"

#include <new>
#include <string>

#include "world/CAnimatedSceneObject.h"
#include "world/CSceneObject.h"
#include "world/CStaticSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/WorldMemory.h"

using irr::u32;
using irr::core::ustring16;

namespace orv {

namespace {

CObjectManager* instance = nullptr;

const char* const DEFAULT_CLASS_NAME = "blank";

CSceneObject* makeObject(u32 id, u32 type, CObjectClass* objectClass)
{
	switch (type)
	{
	case ESOT_STATIC:
		return new (std::nothrow) CStaticSceneObject(id, objectClass);
	case ESOT_ANIMATED:
		return new (std::nothrow) CAnimatedSceneObject(id, objectClass);
	case ESOT_TILED:
		return new (std::nothrow) CTiledSceneObject(id, objectClass);
	default:
		return new (std::nothrow) CSceneObject(id, objectClass);
	}
}

} // namespace

CObjectManager* CObjectManager::getInstance()
{
	if (!instance)
		instance = new (std::nothrow) CObjectManager();
	return instance;
}

CObjectManager* CObjectManager::getExistingInstance()
{
	return instance;
}

irr::u64 CObjectManager::nextRevision()
{
	static irr::u64 last = 0;
	return ++last;
}

void CObjectManager::destroyInstance()
{
	// The pointer goes first: destructors of the objects must not reach a
	// half-destroyed manager through it.
	CObjectManager* manager = instance;
	instance = nullptr;
	delete manager;
}

CObjectManager::~CObjectManager()
{
	clear();
}

void CObjectManager::clear()
{
	ObjectMap objects;
	objects.swap(Objects);
	Revision = nextRevision();
	for (auto& entry : objects)
	{
		CSceneObject* object = entry.second;
		// One that lives on must not point at a class that goes now.
		object->clearObjectClass();
		object->drop();
	}
	getWorldMemory().give(Classes.size() * WORLD_CLASS_BYTES);
	Classes.clear();
}

CObjectClass* CObjectManager::getObjectClass(script::CScriptManager* scriptManager, const ustring16& name)
{
	if (CObjectClass* found = findObjectClass(name))
		return found;
	if (!getWorldMemory().take(WORLD_CLASS_BYTES))
	{
		reportWorldMemoryFull(("the class (" + name.toUTF8_std() + ")").c_str());
		return nullptr;
	}
	std::unique_ptr<CObjectClass> made(new (std::nothrow) CObjectClass(name, scriptManager));
	if (!made)
	{
		getWorldMemory().give(WORLD_CLASS_BYTES);
		return nullptr;
	}
	CObjectClass* objectClass = made.get();
	Classes[name] = std::move(made);
	return objectClass;
}

CObjectClass* CObjectManager::findObjectClass(const ustring16& name) const
{
	const auto found = Classes.find(name);
	return found == Classes.end() ? nullptr : found->second.get();
}

CSceneObject* CObjectManager::createSceneObject(u32 id, u32 type, const ustring16& className)
{
	if (id == 0)
		return nullptr;
	CObjectClass* objectClass = findObjectClass(className.empty() ? ustring16(DEFAULT_CLASS_NAME) : className);
	if (!objectClass)
		return nullptr;

	const auto found = Objects.find(id);
	if (found != Objects.end())
	{
		if (found->second->getId() == id)
			return found->second;
		// Never happens while objects enter only here; should it, the manager
		// lets go of the stray one instead of pulling it from under its holders.
		CSceneObject* stray = found->second;
		Objects.erase(found);
		Revision = nextRevision();
		stray->drop();
	}

	const std::size_t bytes = WORLD_OBJECT_BYTES + attributeCopyBytes(objectClass->getAttributes());
	if (!getWorldMemory().take(bytes))
	{
		reportWorldMemoryFull(("an object of class (" + className.toUTF8_std() + ")").c_str());
		return nullptr;
	}
	CSceneObject* object = makeObject(id, type, objectClass);
	if (!object)
	{
		getWorldMemory().give(bytes);
		return nullptr;
	}
	object->adoptWorldMemory(bytes);
	Objects[id] = object;
	Revision = nextRevision();
	return object;
}

CSceneObject* CObjectManager::getSceneObject(u32 id) const
{
	if (id == 0)
		return nullptr;
	const auto found = Objects.find(id);
	return found == Objects.end() ? nullptr : found->second;
}

u32 CObjectManager::getNextFreeId() const
{
	if (Objects.empty())
		return 1;
	const u32 largest = Objects.rbegin()->first;
	if (largest != 0xFFFFFFFFu)
		return largest + 1;
	u32 candidate = 1;
	for (const auto& entry : Objects)
	{
		if (entry.first > candidate)
			return candidate;
		if (entry.first == candidate)
		{
			if (candidate == 0xFFFFFFFFu)
				return 0;
			++candidate;
		}
	}
	return candidate;
}

bool CObjectManager::remove(u32 id)
{
	if (id == 0)
		return false;
	const auto found = Objects.find(id);
	if (found == Objects.end())
		return false;
	CSceneObject* object = found->second;
	// Out of the map first: the object's destructor may look itself up.
	Objects.erase(found);
	Revision = nextRevision();
	// A script may keep it alive; it must not go on colliding meanwhile.
	object->leaveWorld();
	object->drop();
	return true;
}

} // namespace orv
