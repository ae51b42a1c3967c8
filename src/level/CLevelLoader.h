#pragma once

namespace irr {
class IrrlichtDevice;
}

namespace orv {

class CSceneObject;
class CObjectClass;

//! The level loader's record: a process singleton made on first use and
//! freed only by the program's teardown.
struct CLevelLoader
{
	typedef void (*ObjectLoadedCallback)(CSceneObject* object);
	typedef void (*ClassCreatedCallback)(CObjectClass* objectClass);

	//! Both may be null: a loader made outside the engine's start-up has none.
	ObjectLoadedCallback onObjectLoaded = nullptr;
	ClassCreatedCallback onClassCreated = nullptr;
	//! Set by each load; not owned.
	irr::IrrlichtDevice* device = nullptr;

	//! The record, made on first use.
	static CLevelLoader* getInstance();
	//! The record when it exists; never makes one.
	static CLevelLoader* peekInstance();
	//! Frees the record; the pointer becomes null.
	static void destroyInstance();
};

} // namespace orv
