#include "world/SceneObjectFixtureScale.h"

#include <cmath>
#include <memory>
#include <vector>

#include <box2d/box2d.h>

#include "world/CPhysicsManager.h"
#include "world/PhysicsGuard.h"
#include "base/Refusal.h"

using irr::f32;
using irr::u32;

namespace orv {

namespace {

struct SScaledFixture
{
	b2Fixture* old = nullptr;
	b2FixtureDef def;
	// Only the one of the shape's type is used.
	b2CircleShape circle;
	b2PolygonShape polygon;
	b2EdgeShape edge;
	std::unique_ptr<b2ChainShape> chain;
};

b2Vec2 scaled(const b2Vec2& v, f32 rx, f32 ry)
{
	return b2Vec2(v.x * rx, v.y * ry);
}

// Box2D's chain builders assert on neighbours closer than the linear slop.
bool chainIsBuildable(const std::vector<b2Vec2>& vertices)
{
	for (size_t i = 1; i < vertices.size(); ++i)
		if (!isWithin(vertices[i], PHYSICS_MAX_SHAPE_COORDINATE) ||
			b2DistanceSquared(vertices[i - 1], vertices[i]) <= b2_linearSlop * b2_linearSlop)
			return false;
	return !vertices.empty() && isWithin(vertices[0], PHYSICS_MAX_SHAPE_COORDINATE);
}

std::unique_ptr<b2ChainShape> scaleChain(const b2ChainShape& chain, f32 rx, f32 ry)
{
	std::vector<b2Vec2> vertices;
	for (int32 i = 0; i < chain.m_count; ++i)
		vertices.push_back(scaled(chain.m_vertices[i], rx, ry));
	// A loop repeats its first vertex at the end.
	const bool loop = chain.m_count >= 4 && chain.m_vertices[0] == chain.m_vertices[chain.m_count - 1];
	if (loop)
		vertices.pop_back();
	if (!chainIsBuildable(vertices) ||
		(loop && b2DistanceSquared(vertices.front(), vertices.back()) <= b2_linearSlop * b2_linearSlop))
		return nullptr;
	const b2Vec2 prev = scaled(chain.m_prevVertex, rx, ry);
	const b2Vec2 next = scaled(chain.m_nextVertex, rx, ry);
	if (!isWithin(prev, PHYSICS_MAX_SHAPE_COORDINATE) || !isWithin(next, PHYSICS_MAX_SHAPE_COORDINATE))
		return nullptr;
	std::unique_ptr<b2ChainShape> out(new b2ChainShape());
	const int32 count = static_cast<int32>(vertices.size());
	if (loop && count >= 3)
		out->CreateLoop(vertices.data(), count);
	else if (!loop && count >= 2)
		out->CreateChain(vertices.data(), count, prev, next);
	else
		return nullptr;
	return out;
}

// The scaled shape into the record; false when it cannot be made.
bool scaleShape(SScaledFixture& record, const b2Shape& shape, f32 rx, f32 ry)
{
	switch (shape.GetType())
	{
	case b2Shape::e_circle:
	{
		const b2CircleShape& circle = static_cast<const b2CircleShape&>(shape);
		// A mirrored circle is still a circle.
		if (fitCircle(record.circle, circle.m_radius * std::fabs(rx), scaled(circle.m_p, rx, ry)) != ESF_EXACT)
			return false;
		record.def.shape = &record.circle;
		return true;
	}
	case b2Shape::e_edge:
	{
		const b2EdgeShape& edge = static_cast<const b2EdgeShape&>(shape);
		const b2Vec2 before = scaled(edge.m_vertex0, rx, ry);
		const b2Vec2 after = scaled(edge.m_vertex3, rx, ry);
		if (fitEdge(record.edge, scaled(edge.m_vertex1, rx, ry), scaled(edge.m_vertex2, rx, ry), &before, &after) !=
			ESF_EXACT)
			return false;
		record.edge.m_oneSided = edge.m_oneSided;
		record.def.shape = &record.edge;
		return true;
	}
	case b2Shape::e_polygon:
	{
		// Hulled afresh: scaling the old normals would be wrong for a
		// non-uniform or mirroring scale.
		const b2PolygonShape& polygon = static_cast<const b2PolygonShape&>(shape);
		b2Vec2 points[b2_maxPolygonVertices];
		for (int32 i = 0; i < polygon.m_count; ++i)
			points[i] = scaled(polygon.m_vertices[i], rx, ry);
		if (fitPolygon(record.polygon, points, static_cast<u32>(polygon.m_count)) != ESF_EXACT)
			return false;
		record.def.shape = &record.polygon;
		return true;
	}
	case b2Shape::e_chain:
		record.chain = scaleChain(static_cast<const b2ChainShape&>(shape), rx, ry);
		record.def.shape = record.chain.get();
		return record.chain != nullptr;
	default:
		return false;
	}
}

} // namespace

void scaleFixtures(b2Body* body, f32 rx, f32 ry)
{
	CPhysicsManager* physics = CPhysicsManager::getExistingInstance();
	if (!body || !physics || !physics->isLiveBody(body) || !std::isfinite(rx) || !std::isfinite(ry) || rx == 0.0f ||
		ry == 0.0f)
		return;

	std::vector<std::unique_ptr<SScaledFixture>> records;
	for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext())
	{
		std::unique_ptr<SScaledFixture> record(new SScaledFixture());
		record->old = fixture;
		record->def.userData = fixture->GetUserData();
		record->def.friction = fixture->GetFriction();
		record->def.restitution = fixture->GetRestitution();
		record->def.density = fixture->GetDensity();
		record->def.isSensor = fixture->IsSensor();
		record->def.filter = fixture->GetFilterData();
		if (!scaleShape(*record, *fixture->GetShape(), rx, ry))
		{
			reportRefusalOnce("script", "script: scaled shape",
				"A collision shape cannot take the new scale; it keeps its old size.");
			continue;
		}
		records.push_back(std::move(record));
	}

	// While the world is locked the physics manager queues both halves in
	// this order; a chain cannot wait, so it keeps its old size then.
	const bool locked = physics->isLocked();
	std::vector<b2Fixture*> replaced;
	for (const std::unique_ptr<SScaledFixture>& record : records)
	{
		if (locked && record->chain)
			continue;
		if (physics->createFixture(body, record->def) || locked)
			replaced.push_back(record->old);
	}
	for (b2Fixture* old : replaced)
		physics->destroyFixture(body, old);
}

} // namespace orv
