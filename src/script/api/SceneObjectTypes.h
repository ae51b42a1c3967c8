#pragma once
// The script's view of the world model: its enums, the scene-object types
// and the physics value, with the casts between the kinds.

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

// The enums EAttributeType, ESceneObjectType and EBodyType, then the five
// types, declared without members.
void registerSceneObjectEnums(AngelScript::asIScriptEngine* engine);

// The members of the five types and the casts between the kinds.
void registerSceneObjectAPI(AngelScript::asIScriptEngine* engine);

// Parts of registerSceneObjectAPI.
void registerSceneObjectPhysicsAPI(AngelScript::asIScriptEngine* engine);
// The methods every kind answers alike, on the type of that name. T is the
// kind's class, so each handle is turned into a CSceneObject by the compiler.
template <class T> void registerSceneObjectBase(AngelScript::asIScriptEngine* engine, const char* typeName);

} // namespace orv::script
