#pragma once

// The level loader's two callbacks, as the engine's start-up stores them.

namespace orv {

class CObjectClass;
class CSceneObject;

//! A finished level object joins the scene, runs Created on its own script
//! and is synchronised with its body.
void onObjectLoaded(CSceneObject* object);
//! A class a level named for the first time, made without scripts, gets the
//! engine's script host: a fresh module and a context to run it on.
void onClassCreated(CObjectClass* objectClass);

} // namespace orv
