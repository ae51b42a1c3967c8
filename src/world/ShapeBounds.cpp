#include "world/ShapeBounds.h"

#include <box2d/box2d.h>

namespace orv {

namespace {

class CCountingQuery : public b2QueryCallback
{
public:
	CCountingQuery(const b2Body* self, std::size_t limit) : Self(self), Limit(limit) {}

	bool ReportFixture(b2Fixture* fixture) override
	{
		if (fixture->GetBody() != Self)
			++Count;
		return Count < Limit;
	}

	std::size_t Count = 0;

private:
	const b2Body* Self;
	std::size_t Limit;
};

} // namespace

std::size_t countShapes(const b2Body& body)
{
	std::size_t shapes = 0;
	for (const b2Fixture* fixture = body.GetFixtureList(); fixture; fixture = fixture->GetNext())
		++shapes;
	return shapes;
}

std::size_t countShapesAt(const b2World& world, const b2AABB& box, const b2Body* self, std::size_t limit)
{
	if (limit == 0)
		return 0;
	CCountingQuery query(self, limit);
	world.QueryAABB(&query, box);
	return query.Count;
}

EShapeRoom findShapeRoom(const b2Body& body, const b2Shape& shape, std::size_t perObject)
{
	if (countShapes(body) >= perObject)
		return ESR_OBJECT_FULL;
	const std::size_t proxies = static_cast<std::size_t>(body.GetWorld()->GetProxyCount());
	return proxies + static_cast<std::size_t>(shape.GetChildCount()) > MAX_WORLD_SHAPES ? ESR_WORLD_FULL : ESR_FITS;
}

bool isShapePiled(const b2Fixture& fixture)
{
	const b2Body& body = *fixture.GetBody();
	const b2Shape& shape = *fixture.GetShape();
	// A chain's box covers all its edges; the place of each is what piles.
	for (int32 child = 0; child < shape.GetChildCount(); ++child)
	{
		b2AABB box;
		shape.ComputeAABB(&box, body.GetTransform(), child);
		if (countShapesAt(*body.GetWorld(), box, &body, MAX_STACKED_SHAPES + 1) > MAX_STACKED_SHAPES)
			return true;
	}
	return false;
}

} // namespace orv
