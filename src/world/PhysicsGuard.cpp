#include "world/PhysicsGuard.h"

#include <cmath>

using irr::f32;
using irr::f64;
using irr::u32;

namespace orv {

namespace {

// Box2D welds points closer than half its linear slop.
const f32 WELD_DISTANCE_SQUARED = (0.5f * b2_linearSlop) * (0.5f * b2_linearSlop);

// Area of a counter-clockwise polygon, summed the way Box2D's mass code sums it
// (triangles fanned from the first vertex), so a positive result here is a
// positive result there.
f32 polygonArea(const b2Vec2* vertices, u32 count)
{
	const b2Vec2 s = vertices[0];
	f32 area = 0.0f;
	for (u32 i = 0; i < count; ++i)
	{
		const b2Vec2 e1 = vertices[i] - s;
		const b2Vec2 e2 = i + 1 < count ? vertices[i + 1] - s : vertices[0] - s;
		area += 0.5f * b2Cross(e1, e2);
	}
	return area;
}

// The margin on Box2D's "area > epsilon" keeps rounding differences between
// this sum and Box2D's own from mattering.
bool hasArea(const b2Vec2* vertices, u32 count)
{
	const f32 area = polygonArea(vertices, count);
	return std::isfinite(area) && area > 4.0f * b2_epsilon;
}

void setFallbackBox(b2PolygonShape& out)
{
	out = b2PolygonShape();
	out.SetAsBox(1.0f, 1.0f);
}

// Fills the polygon's fields from a hull in counter-clockwise order, as
// b2PolygonShape::Set does after its hull step, without Set's asserts.
void setFromHull(b2PolygonShape& out, const b2Vec2* hull, u32 count)
{
	out = b2PolygonShape();
	out.m_count = static_cast<int32>(count);
	for (u32 i = 0; i < count; ++i)
		out.m_vertices[i] = hull[i];
	for (u32 i = 0; i < count; ++i)
	{
		const b2Vec2 edge = hull[i + 1 < count ? i + 1 : 0] - hull[i];
		out.m_normals[i] = b2Cross(edge, 1.0f);
		out.m_normals[i].Normalize();
	}
	// Area-weighted centroid of the fan from the first vertex.
	const b2Vec2 s = hull[0];
	b2Vec2 c(0.0f, 0.0f);
	f32 area = 0.0f;
	const f32 inv3 = 1.0f / 3.0f;
	for (u32 i = 0; i < count; ++i)
	{
		const b2Vec2 p2 = hull[i] - s;
		const b2Vec2 p3 = (i + 1 < count ? hull[i + 1] : hull[0]) - s;
		const f32 triangleArea = 0.5f * b2Cross(p2, p3);
		area += triangleArea;
		c += triangleArea * inv3 * (p2 + p3);
	}
	out.m_centroid = (1.0f / area) * c + s;
}

// The shape's mass data in double precision, the way Box2D computes it in float.
struct SMass
{
	f64 mass = 0.0;
	f64 cx = 0.0, cy = 0.0; // centre of mass, body frame
	f64 inertia = 0.0;      // about the body origin
};

SMass shapeMass(const b2Shape& shape, f32 density)
{
	SMass m;
	switch (shape.GetType())
	{
	case b2Shape::e_circle:
	{
		const b2CircleShape& circle = static_cast<const b2CircleShape&>(shape);
		const f64 r = circle.m_radius;
		m.mass = density * b2_pi * r * r;
		m.cx = circle.m_p.x;
		m.cy = circle.m_p.y;
		m.inertia = m.mass * (0.5 * r * r + m.cx * m.cx + m.cy * m.cy);
		break;
	}
	case b2Shape::e_polygon:
	{
		const b2PolygonShape& polygon = static_cast<const b2PolygonShape&>(shape);
		const f64 sx = polygon.m_vertices[0].x, sy = polygon.m_vertices[0].y;
		f64 area = 0.0, cx = 0.0, cy = 0.0, inertia = 0.0;
		for (int32 i = 0; i < polygon.m_count; ++i)
		{
			const b2Vec2& a = polygon.m_vertices[i];
			const b2Vec2& b = polygon.m_vertices[i + 1 < polygon.m_count ? i + 1 : 0];
			const f64 ex1 = a.x - sx, ey1 = a.y - sy, ex2 = b.x - sx, ey2 = b.y - sy;
			const f64 d = ex1 * ey2 - ey1 * ex2;
			area += 0.5 * d;
			cx += 0.5 * d / 3.0 * (ex1 + ex2);
			cy += 0.5 * d / 3.0 * (ey1 + ey2);
			inertia += 0.25 / 3.0 * d * (ex1 * ex1 + ex2 * ex1 + ex2 * ex2 + ey1 * ey1 + ey2 * ey1 + ey2 * ey2);
		}
		if (area <= 0.0)
			break;
		cx /= area;
		cy /= area;
		m.mass = density * area;
		m.cx = cx + sx;
		m.cy = cy + sy;
		m.inertia = density * inertia + m.mass * (m.cx * m.cx + m.cy * m.cy - (cx * cx + cy * cy));
		break;
	}
	default: // edges and chains have no mass
		break;
	}
	return m;
}

} // namespace

bool isFiniteVector(const b2Vec2& v)
{
	return std::isfinite(v.x) && std::isfinite(v.y);
}

bool isWithin(f32 value, f32 limit)
{
	return std::isfinite(value) && std::fabs(value) <= limit;
}

bool isWithin(const b2Vec2& v, f32 limit)
{
	return isWithin(v.x, limit) && isWithin(v.y, limit);
}

b2BodyType bodyTypeFromNumber(irr::s32 number)
{
	switch (number)
	{
	case 1:
		return b2_kinematicBody;
	case 2:
		return b2_dynamicBody;
	default:
		return b2_staticBody;
	}
}

EShapeFit fitCircle(b2CircleShape& out, f32 radius, const b2Vec2& center)
{
	if (!isWithin(radius, PHYSICS_MAX_SHAPE_COORDINATE) || radius < 0.0f ||
		!isWithin(center, PHYSICS_MAX_SHAPE_COORDINATE))
		return ESF_REFUSED;
	out = b2CircleShape();
	out.m_radius = radius;
	out.m_p = center;
	return ESF_EXACT;
}

EShapeFit fitBox(b2PolygonShape& out, f32 halfWidth, f32 halfHeight, const b2Vec2& center, f32 angle)
{
	if (!isWithin(halfWidth, PHYSICS_MAX_SHAPE_COORDINATE) || halfWidth < 0.0f ||
		!isWithin(halfHeight, PHYSICS_MAX_SHAPE_COORDINATE) || halfHeight < 0.0f ||
		!isWithin(center, PHYSICS_MAX_SHAPE_COORDINATE) || !std::isfinite(angle))
		return ESF_REFUSED;
	out = b2PolygonShape();
	out.SetAsBox(halfWidth, halfHeight, center, angle);
	return ESF_EXACT;
}

EShapeFit fitPolygon(b2PolygonShape& out, const b2Vec2* points, u32 count)
{
	const u32 n = count < b2_maxPolygonVertices ? count : b2_maxPolygonVertices;
	for (u32 i = 0; i < n; ++i)
		if (!isWithin(points[i], PHYSICS_MAX_SHAPE_COORDINATE))
			return ESF_REFUSED;

	b2Vec2 ps[b2_maxPolygonVertices];
	u32 unique = 0;
	for (u32 i = 0; i < n; ++i)
	{
		bool welded = false;
		for (u32 j = 0; j < unique && !welded; ++j)
			welded = b2DistanceSquared(points[i], ps[j]) < WELD_DISTANCE_SQUARED;
		if (!welded)
			ps[unique++] = points[i];
	}
	if (unique < 3)
	{
		setFallbackBox(out);
		return ESF_FALLBACK_BOX;
	}

	// Gift wrapping from the right-most (then lowest) point, keeping the
	// farther of collinear candidates, as Box2D does.
	u32 i0 = 0;
	f32 x0 = ps[0].x;
	for (u32 i = 1; i < unique; ++i)
	{
		const f32 x = ps[i].x;
		if (x > x0 || (x == x0 && ps[i].y < ps[i0].y))
		{
			i0 = i;
			x0 = x;
		}
	}
	u32 hullIndex[b2_maxPolygonVertices];
	u32 m = 0;
	u32 ih = i0;
	for (;;)
	{
		// A hull longer than its points means the float predicates went round
		// in circles; Box2D would assert here.
		if (m >= unique)
		{
			setFallbackBox(out);
			return ESF_FALLBACK_BOX;
		}
		hullIndex[m] = ih;
		u32 ie = 0;
		for (u32 j = 1; j < unique; ++j)
		{
			if (ie == ih)
			{
				ie = j;
				continue;
			}
			const b2Vec2 r = ps[ie] - ps[hullIndex[m]];
			const b2Vec2 v = ps[j] - ps[hullIndex[m]];
			const f32 c = b2Cross(r, v);
			if (c < 0.0f)
				ie = j;
			if (c == 0.0f && v.LengthSquared() > r.LengthSquared())
				ie = j;
		}
		++m;
		ih = ie;
		if (ie == i0)
			break;
	}

	b2Vec2 hull[b2_maxPolygonVertices];
	for (u32 i = 0; i < m; ++i)
		hull[i] = ps[hullIndex[i]];
	if (m < 3 || !hasArea(hull, m))
	{
		setFallbackBox(out);
		return ESF_FALLBACK_BOX;
	}
	for (u32 i = 0; i < m; ++i)
		if ((hull[i + 1 < m ? i + 1 : 0] - hull[i]).LengthSquared() <= b2_epsilon * b2_epsilon)
		{
			setFallbackBox(out);
			return ESF_FALLBACK_BOX;
		}
	setFromHull(out, hull, m);
	return ESF_EXACT;
}

EShapeFit fitEdge(
	b2EdgeShape& out, const b2Vec2& v1, const b2Vec2& v2, const b2Vec2* ghostBefore, const b2Vec2* ghostAfter)
{
	if (!isWithin(v1, PHYSICS_MAX_SHAPE_COORDINATE) || !isWithin(v2, PHYSICS_MAX_SHAPE_COORDINATE) ||
		(ghostBefore && !isWithin(*ghostBefore, PHYSICS_MAX_SHAPE_COORDINATE)) ||
		(ghostAfter && !isWithin(*ghostAfter, PHYSICS_MAX_SHAPE_COORDINATE)))
		return ESF_REFUSED;
	// Box2D's edge collision divides by the edge's squared length.
	if (b2DistanceSquared(v1, v2) < WELD_DISTANCE_SQUARED)
		return ESF_REFUSED;
	out = b2EdgeShape();
	// Two-sided, so content made for edges that collide from both sides still
	// does; the ghosts are kept for whoever reads them.
	out.SetTwoSided(v1, v2);
	if (ghostBefore)
		out.m_vertex0 = *ghostBefore;
	if (ghostAfter)
		out.m_vertex3 = *ghostAfter;
	return ESF_EXACT;
}

EShapeFit fitOneSidedEdge(
	b2EdgeShape& out, const b2Vec2& ghostBefore, const b2Vec2& v1, const b2Vec2& v2, const b2Vec2& ghostAfter)
{
	const EShapeFit fit = fitEdge(out, v1, v2, &ghostBefore, &ghostAfter);
	if (fit == ESF_EXACT)
		out.m_oneSided = true;
	return fit;
}

EShapeFit fitContentCircle(b2CircleShape& out, f32 radius, const b2Vec2& center)
{
	// NaN fails the comparison as well.
	if (!(radius > 0.0f))
		return ESF_REFUSED;
	return fitCircle(out, radius, center);
}

EShapeFit fitContentBox(b2PolygonShape& out, f32 halfWidth, f32 halfHeight, const b2Vec2& center, f32 angle)
{
	if (!(halfWidth > 0.0f) || !(halfHeight > 0.0f))
		return ESF_REFUSED;
	return fitBox(out, halfWidth, halfHeight, center, angle);
}

EShapeFit fitContentPolygon(b2PolygonShape& out, const b2Vec2* points, u32 count)
{
	if (count < 3 || count > b2_maxPolygonVertices)
		return ESF_REFUSED;
	b2PolygonShape fitted;
	if (fitPolygon(fitted, points, count) != ESF_EXACT)
		return ESF_REFUSED;
	out = fitted;
	return ESF_EXACT;
}

bool isShapeUsable(const b2Shape& shape, bool needsMass)
{
	const f32 limit = PHYSICS_MAX_SHAPE_COORDINATE;
	if (!isWithin(shape.m_radius, limit) || shape.m_radius < 0.0f)
		return false;
	switch (shape.GetType())
	{
	case b2Shape::e_circle:
		return isWithin(static_cast<const b2CircleShape&>(shape).m_p, limit);
	case b2Shape::e_edge:
	{
		const b2EdgeShape& edge = static_cast<const b2EdgeShape&>(shape);
		return isWithin(edge.m_vertex0, limit) && isWithin(edge.m_vertex1, limit) && isWithin(edge.m_vertex2, limit) &&
			isWithin(edge.m_vertex3, limit) &&
			b2DistanceSquared(edge.m_vertex1, edge.m_vertex2) >= WELD_DISTANCE_SQUARED;
	}
	case b2Shape::e_polygon:
	{
		const b2PolygonShape& polygon = static_cast<const b2PolygonShape&>(shape);
		if (polygon.m_count < 3 || polygon.m_count > b2_maxPolygonVertices || !isWithin(polygon.m_centroid, limit))
			return false;
		for (int32 i = 0; i < polygon.m_count; ++i)
			if (!isWithin(polygon.m_vertices[i], limit) || !isWithin(polygon.m_normals[i], 2.0f))
				return false;
		// A clockwise polygon has its normals inside out; a massless one may
		// still be flat (a zero box).
		const f32 area = polygonArea(polygon.m_vertices, static_cast<u32>(polygon.m_count));
		if (!std::isfinite(area) || area < 0.0f)
			return false;
		return !needsMass || hasArea(polygon.m_vertices, static_cast<u32>(polygon.m_count));
	}
	case b2Shape::e_chain:
	{
		const b2ChainShape& chain = static_cast<const b2ChainShape&>(shape);
		if (chain.m_count < 2 || !chain.m_vertices)
			return false;
		for (int32 i = 0; i < chain.m_count; ++i)
			if (!isWithin(chain.m_vertices[i], limit))
				return false;
		for (int32 i = 1; i < chain.m_count; ++i)
			if (b2DistanceSquared(chain.m_vertices[i - 1], chain.m_vertices[i]) < WELD_DISTANCE_SQUARED)
				return false;
		return isWithin(chain.m_prevVertex, limit) && isWithin(chain.m_nextVertex, limit);
	}
	default:
		return false;
	}
}

bool isFixtureDefUsable(const b2FixtureDef& def)
{
	const auto material = [](f32 value) { return isWithin(value, PHYSICS_MAX_MATERIAL) && value >= 0.0f; };
	return def.shape && material(def.density) && material(def.friction) && material(def.restitution) &&
		isWithin(def.restitutionThreshold, PHYSICS_MAX_MOTION) && isShapeUsable(*def.shape, def.density > 0.0f);
}

bool isMassSafe(
	const b2Body& body, b2BodyType type, bool fixedRotation, const b2FixtureDef* extra, const b2Fixture* without)
{
	if (type != b2_dynamicBody)
		return true;
	SMass total;
	f64 mx = 0.0, my = 0.0;
	const auto add = [&](const b2Shape& shape, f32 density) {
		if (density == 0.0f)
			return;
		const SMass m = shapeMass(shape, density);
		total.mass += m.mass;
		mx += m.mass * m.cx;
		my += m.mass * m.cy;
		total.inertia += m.inertia;
	};
	for (const b2Fixture* f = body.GetFixtureList(); f; f = f->GetNext())
	{
		if (f == without)
			continue;
		if (f->GetDensity() > 0.0f && !isShapeUsable(*f->GetShape(), true))
			return false;
		add(*f->GetShape(), f->GetDensity());
	}
	if (extra && extra->shape)
		add(*extra->shape, extra->density);

	if (!std::isfinite(total.mass) || !std::isfinite(total.inertia) || total.mass > 1.0e30 || total.inertia > 1.0e30)
		return false;
	if (fixedRotation || total.inertia <= 0.0 || total.mass <= 0.0)
		return true;
	const f64 cx = mx / total.mass, cy = my / total.mass;
	const f64 central = total.inertia - total.mass * (cx * cx + cy * cy);
	// Float keeps about seven digits; a central inertia this much smaller than
	// the inertia about the origin can round to zero or below in Box2D.
	return central > 1.0e-4 * total.inertia;
}

} // namespace orv
