#include "level/CLevelLoader.h"

#include <cstring>
#include <string>

#include <IrrlichtDevice.h>
#include <box2d/box2d.h>

#include "base/Refusal.h"
#include "level/BlockingTiles.h"
#include "level/LevelShapes.h"
#include "base/XmlNodes.h"
#include "level/LevelVector.h"
#include "world/CSceneObject.h"
#include "world/CTiledSceneObject.h"
#include "world/PhysicsGuard.h"

using irr::f32;
using irr::core::vector2df;

namespace orv {

namespace {

// Every shape a level adds is made of this; scripts' shapes have more friction.
const f32 LEVEL_SHAPE_DENSITY = 1.0f;
const f32 LEVEL_SHAPE_FRICTION = 0.2f;
const f32 LEVEL_SHAPE_RESTITUTION = 0.0f;

b2Vec2 toB2(const vector2df& v)
{
	return b2Vec2(v.X, v.Y);
}

vector2df vectorOf(const irr::io::IXMLReaderUTF8& reader, const char* name, bool copyXIntoZeroY = false)
{
	return parseVector2df(attributeText(reader, name), copyXIntoZeroY);
}

} // namespace

void CLevelLoader::addFixture(CSceneObject& object, const b2Shape& shape) const
{
	addLevelShape(object, shape, LEVEL_SHAPE_DENSITY, LEVEL_SHAPE_FRICTION, LEVEL_SHAPE_RESTITUTION, placeOf(object));
}

void CLevelLoader::loadCollision(Reader& reader, CSceneObject& object)
{
	while (reader.read())
	{
		if (isElementEnd(reader, "collision"))
			return;
		if (reader.getNodeType() != irr::io::EXN_ELEMENT)
			continue;
		const char* name = reader.getNodeName();
		if (std::strcmp(name, "circle") == 0)
		{
			b2CircleShape circle;
			if (fitContentCircle(circle, reader.getAttributeValueAsFloat("radius"), toB2(vectorOf(reader, "center"))) ==
				ESF_EXACT)
				addFixture(object, circle);
			else
				warn(object, "a circle is skipped: its radius must be above 0 and its values finite and in range.");
		}
		else if (std::strcmp(name, "box") == 0)
		{
			const vector2df halfExtents = vectorOf(reader, "radius", true);
			b2PolygonShape box;
			if (fitContentBox(box, halfExtents.X, halfExtents.Y, toB2(vectorOf(reader, "center")),
					reader.getAttributeValueAsFloat("angle")) == ESF_EXACT)
				addFixture(object, box);
			else
				warn(object, "a box is skipped: its half-extents must be above 0 and its values finite and in range.");
		}
		else if (std::strcmp(name, "polygon") == 0)
		{
			// An empty element is a polygon without vertices; it must not
			// take the elements after it for its own.
			std::vector<vector2df> vertices;
			if (!reader.isEmptyElement())
				vertices = loadPolygon(reader);
			std::vector<b2Vec2> points;
			points.reserve(vertices.size());
			for (const vector2df& v : vertices)
				points.push_back(toB2(v));
			b2PolygonShape polygon;
			if (fitContentPolygon(polygon, points.data(), static_cast<irr::u32>(points.size())) == ESF_EXACT)
				addFixture(object, polygon);
			else
				warn(object,
					"a polygon of " + std::to_string(points.size()) +
						" vertices is skipped: it needs 3 to 8 vertices, finite and in range, that enclose an area.");
		}
		else if (std::strcmp(name, "edge") == 0)
		{
			const bool ghosts = attributeText(reader, "v0")[0] != 0 && attributeText(reader, "v3")[0] != 0;
			const b2Vec2 before = toB2(vectorOf(reader, "v0"));
			const b2Vec2 after = toB2(vectorOf(reader, "v3"));
			// Two-sided either way: stored levels were made for edges that
			// collide from both sides. The ghosts are kept only as a pair.
			b2EdgeShape edge;
			if (fitEdge(edge, toB2(vectorOf(reader, "v1")), toB2(vectorOf(reader, "v2")), ghosts ? &before : nullptr,
					ghosts ? &after : nullptr) == ESF_EXACT)
				addFixture(object, edge);
			else
				warn(object, "an edge is skipped: its vertices must be finite, in range and apart.");
		}
		else if (std::strcmp(name, "blocking_tiles") == 0)
		{
			loadBlockingTiles(reader, object);
		}
	}
}

std::vector<vector2df> CLevelLoader::loadPolygon(Reader& reader)
{
	std::vector<vector2df> vertices;
	while (reader.read())
	{
		if (isElement(reader, "polygon") || isElementEnd(reader, "polygon"))
			break;
		if (isElement(reader, "vertex"))
			vertices.push_back(vectorOf(reader, "value"));
	}
	return vertices;
}

void CLevelLoader::loadBlockingTiles(Reader& reader, CSceneObject& object)
{
	if (object.getType() != ESOT_TILED)
		return;
	CTiledSceneObject& tiled = static_cast<CTiledSceneObject&>(object);
	if (tiled.getTiles().empty())
		return reportRefusal("xml", "Error loading blocking_tiles: Scene object has no tile data.");
	if (tiled.getColumns() == 0 || tiled.getRows() == 0)
		return reportRefusal("xml", "Error loading blocking_tiles: Tile dimension has a value of 0.");
	buildBlockingTiles(tiled, device->getFileSystem(), irr::core::ustring16(attributeText(reader, "file")));
}

} // namespace orv
