#include "net/ShapeStacks.h"

namespace orv {
namespace net {

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

std::size_t countShapesAt(const b2World& world, const b2AABB& box, const b2Body* self, std::size_t limit)
{
	if (limit == 0)
		return 0;
	CCountingQuery query(self, limit);
	world.QueryAABB(&query, box);
	return query.Count;
}

} // namespace net
} // namespace orv
