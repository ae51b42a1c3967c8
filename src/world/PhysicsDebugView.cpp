#include "world/PhysicsDebugView.h"

#include <cmath>

#include <IVideoDriver.h>
#include <SMaterial.h>

#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

using irr::f32;
using irr::u16;
using irr::core::vector3df;
using irr::video::SColor;

namespace orv {

bool buildFixtureDebugLines(
	const b2Fixture& fixture, const vector3df& position, f32 angle, f32 pixelsPerUnit, SPhysicsDebugLines& out)
{
	out.vertices.set_used(0);
	out.indices.set_used(0);

	const b2Shape* shape = fixture.GetShape();
	const b2Vec2* points = nullptr;
	irr::s32 count = 0;
	SColor colour(0xFFFFFFFF);
	bool closeBack = false;
	bool repeatFirst = false;
	b2Vec2 edgePoints[2];
	switch (shape->GetType())
	{
	case b2Shape::e_polygon:
	{
		const b2PolygonShape* polygon = static_cast<const b2PolygonShape*>(shape);
		points = polygon->m_vertices;
		count = polygon->m_count;
		colour = SColor(0xFFFF0000);
		closeBack = true;
		break;
	}
	case b2Shape::e_edge:
	{
		const b2EdgeShape* edge = static_cast<const b2EdgeShape*>(shape);
		edgePoints[0] = edge->m_vertex1;
		edgePoints[1] = edge->m_vertex2;
		points = edgePoints;
		count = 2;
		break;
	}
	case b2Shape::e_chain:
	{
		const b2ChainShape* chain = static_cast<const b2ChainShape*>(shape);
		points = chain->m_vertices;
		count = chain->m_count;
		repeatFirst = true;
		closeBack = true;
		break;
	}
	default:
		return false;
	}
	if (!points || count <= 0)
		return false;

	const f32 c = std::cos(angle), s = std::sin(angle);
	const auto add = [&](const b2Vec2& v) {
		out.vertices.push_back(irr::video::S3DVertex(position.X + pixelsPerUnit * (v.x * c - v.y * s),
			position.Y + pixelsPerUnit * (v.x * s + v.y * c), position.Z, 0.0f, 0.0f, -1.0f, colour, 0.0f, 0.0f));
	};
	for (irr::s32 i = 0; i < count; ++i)
		add(points[i]);
	if (repeatFirst)
		add(points[0]);

	const u16 last = static_cast<u16>(out.vertices.size() - 1);
	for (u16 i = 0; i < last; ++i)
	{
		out.indices.push_back(i);
		out.indices.push_back(static_cast<u16>(i + 1));
	}
	if (closeBack && last > 0)
	{
		out.indices.push_back(last);
		out.indices.push_back(0);
	}
	return true;
}

void CPhysicsManager::debugDraw(irr::video::IVideoDriver* driver) const
{
	const CObjectManager* objects = CObjectManager::getExistingInstance();
	if (!driver || !objects)
		return;
	for (const auto& entry : objects->getSceneObjects())
	{
		const CSceneObject* object = entry.second;
		if (object && object->isDrawnThisFrame() && object->Physics.body)
			debugDrawBody(driver, object->Physics.body, object->getPosition());
	}
}

void CPhysicsManager::debugDrawBody(
	irr::video::IVideoDriver* driver, const b2Body* body, const vector3df& position) const
{
	if (!driver || !isLiveBody(body))
		return;
	irr::video::SMaterial material;
	material.Lighting = false;
	material.BackfaceCulling = false;
	driver->setMaterial(material);

	const b2Rot& q = body->GetTransform().q;
	const f32 angle = std::atan2(q.s, q.c);
	orv::SPhysicsDebugLines lines;
	for (const b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext())
	{
		driver->setTransform(irr::video::ETS_WORLD, irr::core::IdentityMatrix);
		if (!orv::buildFixtureDebugLines(*fixture, position, angle, static_cast<f32>(PixelsPerUnit), lines))
			continue;
		driver->drawVertexPrimitiveList(lines.vertices.const_pointer(), lines.vertices.size(),
			lines.indices.const_pointer(), lines.indices.size() / 2, irr::video::EVT_STANDARD, irr::scene::EPT_LINES,
			irr::video::EIT_16BIT);
	}
}

} // namespace orv
