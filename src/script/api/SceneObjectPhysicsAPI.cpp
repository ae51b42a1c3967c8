// SceneObject_Physics: the script's handle on a scene object's body.

#include "script/api/SceneObjectTypes.h"

#include "world/SSceneObjectPhysics.h"

#include <angelscript.h>
#include <box2d/b2_settings.h>
#include <scriptarray.h>

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

namespace orv::script {

using namespace AngelScript;
using irr::core::vector2df;

namespace {

void constructPhysics(SSceneObjectPhysics* memory)
{
	new (memory) SSceneObjectPhysics();
}

void destructPhysics(SSceneObjectPhysics*)
{
}

// The handle is declared without @+: this function owns the reference it is given.
void addCollisionPolygonFromArray(
	SSceneObjectPhysics* physics, CScriptArray* vertices, irr::f32 density, irr::f32 friction, irr::f32 restitution)
{
	if (!vertices)
		return;
	// Only the first points make the polygon: an array of millions is not copied.
	const asUINT count = std::min<asUINT>(vertices->GetSize(), b2_maxPolygonVertices);
	std::vector<vector2df> points;
	points.reserve(count);
	for (asUINT i = 0; i < count; ++i)
		points.push_back(*static_cast<const vector2df*>(vertices->At(i)));
	vertices->Release();
	if (!points.empty())
		physics->addCollisionPolygon(points, density, friction, restitution);
}

void addCollisionEdgeOpen(SSceneObjectPhysics* physics, const vector2df& vertex1, const vector2df& vertex2,
	irr::f32 density, irr::f32 friction, irr::f32 restitution)
{
	const vector2df none(0.0f, 0.0f);
	physics->addCollisionEdge(vertex1, vertex2, false, false, none, none, density, friction, restitution);
}

void addCollisionEdgeOneGhost(SSceneObjectPhysics* physics, const vector2df& vertex1, const vector2df& vertex2,
	bool isVertex0, const vector2df& vertex, irr::f32 density, irr::f32 friction, irr::f32 restitution)
{
	const vector2df none(0.0f, 0.0f);
	physics->addCollisionEdge(vertex1, vertex2, isVertex0, !isVertex0, isVertex0 ? vertex : none,
		isVertex0 ? none : vertex, density, friction, restitution);
}

void addCollisionEdgeTwoGhosts(SSceneObjectPhysics* physics, const vector2df& vertex0, const vector2df& vertex1,
	const vector2df& vertex2, const vector2df& vertex3, irr::f32 density, irr::f32 friction, irr::f32 restitution)
{
	physics->addCollisionEdge(vertex1, vertex2, true, true, vertex0, vertex3, density, friction, restitution);
}

struct SMethodRow
{
	const char* declaration;
	asSFuncPtr function;
	asDWORD callConv;
};

} // namespace

void registerSceneObjectPhysicsAPI(asIScriptEngine* engine)
{
	const char* type = "SceneObject_Physics";
	engine->RegisterObjectBehaviour(
		type, asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructPhysics), asCALL_CDECL_OBJLAST);
	engine->RegisterObjectBehaviour(
		type, asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destructPhysics), asCALL_CDECL_OBJLAST);

	const SMethodRow methods[] = {
		{"EBodyType get_Type() const", asMETHOD(SSceneObjectPhysics, getType), asCALL_THISCALL},
		{"void set_Type(EBodyType type)", asMETHOD(SSceneObjectPhysics, setType), asCALL_THISCALL},
		{"void add_collision_circle(float radius, const vector2df &in center, float density = 1.0f, "
		 "float friction = 2.0f, float restitution = 0.0f)",
			asMETHOD(SSceneObjectPhysics, addCollisionCircle), asCALL_THISCALL},
		{"void add_collision_box(const vector2df &in dimension, const vector2df &in center, float angle = 0.0f, "
		 "float density = 1.0f, float friction = 2.0f, float restitution = 0.0f)",
			asMETHOD(SSceneObjectPhysics, addCollisionBox), asCALL_THISCALL},
		{"void add_collision_polygon(array<vector2df>@ vertices, float density = 1.0f, float friction = 2.0f, "
		 "float restitution = 0.0f)",
			asFUNCTION(addCollisionPolygonFromArray), asCALL_CDECL_OBJFIRST},
		{"void add_collision_edge(const vector2df &in vertex1, const vector2df &in vertex2, float density = 1.0f, "
		 "float friction = 2.0f, float restitution = 0.0f)",
			asFUNCTION(addCollisionEdgeOpen), asCALL_CDECL_OBJFIRST},
		{"void add_collision_edge(const vector2df &in vertex1, const vector2df &in vertex2, bool isVertex0, "
		 "const vector2df &in vertex, float density = 1.0f, float friction = 2.0f, float restitution = 0.0f)",
			asFUNCTION(addCollisionEdgeOneGhost), asCALL_CDECL_OBJFIRST},
		{"void add_collision_edge(const vector2df &in vertex0, const vector2df &in vertex1, "
		 "const vector2df &in vertex2, const vector2df &in vertex3, float density = 1.0f, float friction = 2.0f, "
		 "float restitution = 0.0f)",
			asFUNCTION(addCollisionEdgeTwoGhosts), asCALL_CDECL_OBJFIRST},
		{"void apply_impulse(const vector2df &in impulse, const vector2df &in point)",
			asMETHOD(SSceneObjectPhysics, applyImpulse), asCALL_THISCALL},
		{"void apply_force(const vector2df &in force, const vector2df &in point)",
			asMETHOD(SSceneObjectPhysics, applyForce), asCALL_THISCALL},
		{"void set_LinearDampening(float dampening)", asMETHOD(SSceneObjectPhysics, setLinearDampening),
			asCALL_THISCALL},
		{"float get_LinearDampening() const", asMETHOD(SSceneObjectPhysics, getLinearDampening), asCALL_THISCALL},
		{"void set_AngularDampening(float dampening)", asMETHOD(SSceneObjectPhysics, setAngularDampening),
			asCALL_THISCALL},
		{"float get_AngularDampening() const", asMETHOD(SSceneObjectPhysics, getAngularDampening), asCALL_THISCALL},
		{"void set_FixedRotation(bool value)", asMETHOD(SSceneObjectPhysics, setFixedRotation), asCALL_THISCALL},
		{"bool get_FixedRotation() const", asMETHOD(SSceneObjectPhysics, getFixedRotation), asCALL_THISCALL},
		{"void set_Velocity(const vector2df &in velocity)", asMETHOD(SSceneObjectPhysics, setVelocity),
			asCALL_THISCALL},
		{"vector2df get_Velocity() const", asMETHOD(SSceneObjectPhysics, getVelocity), asCALL_THISCALL},
		{"void set_Rotation(float rotation)", asMETHOD(SSceneObjectPhysics, setRotation), asCALL_THISCALL},
		{"float get_Rotation() const", asMETHOD(SSceneObjectPhysics, getRotation), asCALL_THISCALL},
	};
	for (const SMethodRow& row : methods)
		engine->RegisterObjectMethod(type, row.declaration, row.function, row.callConv);

	engine->RegisterObjectProperty(type, "bool Owner", static_cast<int>(offsetof(SSceneObjectPhysics, owner)));
}

} // namespace orv::script
