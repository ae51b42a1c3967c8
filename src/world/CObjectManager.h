#pragma once

#include <map>
#include <memory>

#include <irrTypes.h>

#include "base/ustring16.h"
#include "world/CObjectClass.h"

namespace orv {

class CSceneObject;
namespace script {
class CScriptManager;
}

//! The registry of object classes by name and of scene objects by id, and
//! the only maker of scene objects.
/** It holds one reference to every object it registers and gives it up on
    removal, so an object a script still holds outlives its removal. Id 0
    never names an object. Lookups never add entries: every entry of either
    map holds a class or an object. */
class CObjectManager
{
public:
	typedef std::map<irr::core::ustring16, std::unique_ptr<CObjectClass>> ClassMap;
	typedef std::map<irr::u32, CSceneObject*> ObjectMap;

	//! The singleton, made on first use; null when that allocation failed.
	static CObjectManager* getInstance();
	//! The singleton or null; never makes one (for teardown and destructors).
	static CObjectManager* getExistingInstance();
	//! Ends the singleton (see the destructor); the pointer becomes null.
	static void destroyInstance();

	CObjectManager() = default;
	//! Lets go of every object and class (see clear).
	~CObjectManager();
	CObjectManager(const CObjectManager&) = delete;
	CObjectManager& operator=(const CObjectManager&) = delete;

	//! The class of that name, made (with its module on the script manager)
	//! when absent; null only when allocation fails.
	CObjectClass* getObjectClass(script::CScriptManager* scriptManager, const irr::core::ustring16& name);
	//! The class of that name or null; makes nothing.
	CObjectClass* findObjectClass(const irr::core::ustring16& name) const;

	//! Makes and registers an object of the type (1 static, 2 animated, 3
	//! tiled, anything else plain) and the class ("" means "blank"). Null for
	//! id 0 or a class that does not exist. An id that already has an object
	//! gives that object back unchanged, whatever type and class were asked for.
	CSceneObject* createSceneObject(irr::u32 id, irr::u32 type, const irr::core::ustring16& className);
	//! The object of that id or null.
	CSceneObject* getSceneObject(irr::u32 id) const;
	//! The id for a new object: one above the largest in use, 1 for none;
	//! when that would wrap, the lowest free id; 0 when every id is taken.
	irr::u32 getNextFreeId() const;
	//! Unregisters the object, takes it out of the physics world and drops
	//! the manager's reference; unknown ids and id 0 change nothing. True
	//! when an object was registered.
	bool remove(irr::u32 id);

	//! Drops the reference to every object in ascending id, then frees the
	//! classes in name order. An object that is still held elsewhere lives on
	//! without its class. The manager stays in use, empty.
	void clear();

	const ClassMap& getObjectClasses() const { return Classes; }
	//! Ascending id; every entry holds an object.
	const ObjectMap& getSceneObjects() const { return Objects; }
	//! Changes whenever an object joins or leaves, and no two managers share
	//! a value: a copy of the objects taken at one revision is current for as
	//! long as the revision stays.
	irr::u64 getRevision() const { return Revision; }

private:
	static irr::u64 nextRevision();

	ClassMap Classes;
	ObjectMap Objects;
	irr::u64 Revision = nextRevision();
};

} // namespace orv
