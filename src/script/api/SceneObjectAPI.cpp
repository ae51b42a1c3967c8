// The methods every scene-object type answers alike.

#include "script/api/SceneObjectTypes.h"

#include "world/CAnimatedSceneObject.h"
#include "world/CObjectClass.h"
#include "world/CSceneObject.h"
#include "world/CStaticSceneObject.h"
#include "world/CTiledSceneObject.h"

#include <angelscript.h>

#include <cstddef>

namespace orv::script {

using namespace AngelScript;
using irr::core::ustring16;

namespace {

// IReferenceCounted is a virtual base: the engine cannot call its methods
// with the right `this`, the compiler can.
template <class T> void grabObject(T* object)
{
	object->grab();
}

template <class T> void dropObject(T* object)
{
	object->drop();
}

ustring16 getSceneObjectClass(const CSceneObject* object)
{
	const CObjectClass* objectClass = object->getObjectClass();
	return objectClass ? objectClass->getName() : ustring16();
}

// Attributes of the object's own class-attribute list, by name. A missing or
// typeless attribute reads as 0 or "".
const SAttribute* findTyped(const CSceneObject* object, const ustring16& name)
{
	const SAttribute* attribute = object->getClassAttributes().findByName(name);
	return attribute && attribute->type != EAT_INVALID ? attribute : nullptr;
}

int getAttributeType(const ustring16& name, const CSceneObject* object)
{
	const SAttribute* attribute = object->getClassAttributes().findByName(name);
	return attribute ? attribute->type : EAT_INVALID;
}

irr::s64 getAttributeInt(const ustring16& name, const CSceneObject* object)
{
	const SAttribute* attribute = findTyped(object, name);
	return attribute ? attribute->getInt() : 0;
}

irr::u64 getAttributeUInt(const ustring16& name, const CSceneObject* object)
{
	const SAttribute* attribute = findTyped(object, name);
	return attribute ? attribute->getUInt() : 0;
}

irr::f32 getAttributeFloat(const ustring16& name, const CSceneObject* object)
{
	const SAttribute* attribute = findTyped(object, name);
	return attribute ? attribute->getFloat() : 0.0f;
}

irr::f64 getAttributeDouble(const ustring16& name, const CSceneObject* object)
{
	const SAttribute* attribute = findTyped(object, name);
	return attribute ? attribute->getDouble() : 0.0;
}

ustring16 getAttributeString(const ustring16& name, const CSceneObject* object)
{
	const SAttribute* attribute = findTyped(object, name);
	return attribute ? attribute->getString() : ustring16();
}

// A new attribute takes the list's next free id, and what the list holds
// more counts in the world's total as a level's or the server's would.
// Nothing is marked changed: script-set class attributes stay on this client.
SAttribute* findOrAdd(CSceneObject* object, const ustring16& name, const ustring16& text = ustring16())
{
	return object->prepareAttribute(name, text);
}

void setAttributeInt(const ustring16& name, irr::s64 value, CSceneObject* object)
{
	if (SAttribute* attribute = findOrAdd(object, name))
		attribute->setInt(value);
}

void setAttributeUInt(const ustring16& name, irr::u64 value, CSceneObject* object)
{
	if (SAttribute* attribute = findOrAdd(object, name))
		attribute->setUInt(value);
}

void setAttributeFloat(const ustring16& name, irr::f32 value, CSceneObject* object)
{
	if (SAttribute* attribute = findOrAdd(object, name))
		attribute->setFloat(value);
}

void setAttributeDouble(const ustring16& name, irr::f64 value, CSceneObject* object)
{
	if (SAttribute* attribute = findOrAdd(object, name))
		attribute->setDouble(value);
}

void setAttributeString(const ustring16& name, const ustring16& value, CSceneObject* object)
{
	if (SAttribute* attribute = findOrAdd(object, name, value))
		attribute->setString(value);
}

// The member sits at a fixed place of CSceneObject itself (not of its
// virtual base), so its offset is a constant of the class.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const int PHYSICS_OFFSET = static_cast<int>(offsetof(CSceneObject, Physics));
#pragma GCC diagnostic pop

struct SMethodRow
{
	const char* declaration;
	asSFuncPtr function;
	asDWORD callConv;
};

} // namespace

template <class T> void registerSceneObjectBase(asIScriptEngine* engine, const char* typeName)
{
	// The kinds derive from CSceneObject alone, so their handles point at
	// the base part and the base's functions serve every kind.
	engine->RegisterObjectBehaviour(
		typeName, asBEHAVE_ADDREF, "void f()", asFUNCTION(grabObject<T>), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectBehaviour(
		typeName, asBEHAVE_RELEASE, "void f()", asFUNCTION(dropObject<T>), asCALL_CDECL_OBJLAST);

	const SMethodRow methods[] = {
		{"string get_class() const", asFUNCTION(getSceneObjectClass), asCALL_CDECL_OBJLAST},
		{"ESceneObjectType get_type() const", asMETHOD(CSceneObject, getType), asCALL_THISCALL},
		{"EAttributeType get_attribute_type(const string &in attribute) const", asFUNCTION(getAttributeType),
			asCALL_CDECL_OBJLAST},
		{"int64 get_attribute_int(const string &in attribute) const", asFUNCTION(getAttributeInt),
			asCALL_CDECL_OBJLAST},
		{"uint64 get_attribute_uint(const string &in attribute) const", asFUNCTION(getAttributeUInt),
			asCALL_CDECL_OBJLAST},
		{"float get_attribute_float(const string &in attribute) const", asFUNCTION(getAttributeFloat),
			asCALL_CDECL_OBJLAST},
		{"double get_attribute_double(const string &in attribute) const", asFUNCTION(getAttributeDouble),
			asCALL_CDECL_OBJLAST},
		{"string get_attribute_string(const string &in attribute) const", asFUNCTION(getAttributeString),
			asCALL_CDECL_OBJLAST},
		{"void set_attribute(const string &in attribute, const int64 value)", asFUNCTION(setAttributeInt),
			asCALL_CDECL_OBJLAST},
		{"void set_attribute(const string &in attribute, const uint64 value)", asFUNCTION(setAttributeUInt),
			asCALL_CDECL_OBJLAST},
		{"void set_attribute(const string &in attribute, const float value)", asFUNCTION(setAttributeFloat),
			asCALL_CDECL_OBJLAST},
		{"void set_attribute(const string &in attribute, const double value)", asFUNCTION(setAttributeDouble),
			asCALL_CDECL_OBJLAST},
		{"void set_attribute(const string &in attribute, const string &in value)", asFUNCTION(setAttributeString),
			asCALL_CDECL_OBJLAST},
		{"vector3df get_Position() const", asMETHOD(CSceneObject, getPosition), asCALL_THISCALL},
		{"void set_Position(const vector3df &in position)", asMETHOD(CSceneObject, setPosition), asCALL_THISCALL},
		{"float get_Rotation() const", asMETHOD(CSceneObject, getRotation), asCALL_THISCALL},
		{"void set_Rotation(float rotation)", asMETHOD(CSceneObject, setRotation), asCALL_THISCALL},
		{"vector2df get_Scale() const", asMETHOD(CSceneObject, getScale), asCALL_THISCALL},
		{"void set_Scale(const vector2df &in scale)", asMETHOD(CSceneObject, setScale), asCALL_THISCALL},
	};
	for (const SMethodRow& row : methods)
		engine->RegisterObjectMethod(typeName, row.declaration, row.function, row.callConv);

	engine->RegisterObjectProperty(typeName, "SceneObject_Physics Physics", PHYSICS_OFFSET);
}

template void registerSceneObjectBase<CSceneObject>(asIScriptEngine*, const char*);
template void registerSceneObjectBase<CStaticSceneObject>(asIScriptEngine*, const char*);
template void registerSceneObjectBase<CAnimatedSceneObject>(asIScriptEngine*, const char*);
template void registerSceneObjectBase<CTiledSceneObject>(asIScriptEngine*, const char*);

} // namespace orv::script
