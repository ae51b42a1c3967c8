#pragma once

#include <vector>

#include <box2d/box2d.h>

namespace orv {

//! Collects every fixture an AABB query reports, in the order reported.
struct SEventQueryCallback : public b2QueryCallback
{
	std::vector<b2Fixture*> Fixtures;

	bool ReportFixture(b2Fixture* fixture) override
	{
		Fixtures.push_back(fixture);
		return true;
	}
};

} // namespace orv
