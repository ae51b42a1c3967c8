// How the server populates and drives the world: objects made and deleted, their class and engine
// attributes, their own script code, the player's object and the collision shapes of their bodies.

#include "base/Refusal.h"
#include "net/CNetParse.h"

#include "net/CServerHoldings.h"
#include "net/INetParseHost.h"
#include "net/ServerBounds.h"
#include "net/ReceiveWork.h"
#include "script/CScriptModule.h"
#include "world/CObjectManager.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"
#include "world/PhysicsGuard.h"
#include "world/ShapeBounds.h"

#include <box2d/box2d.h>

#include <string>
#include <vector>

namespace orv {

namespace {

enum EShapeKind : irr::u8
{
	ESK_CIRCLE = 0,
	ESK_BOX = 1,
	ESK_POLYGON = 2
};

//! The object the packet's leading id names; null for id 0 and for ids without an object.
CSceneObject* readObject(net::packet& packet)
{
	const irr::u32 id = packet.readU32();
	CObjectManager* objects = CObjectManager::getInstance();
	return objects ? objects->getSceneObject(id) : nullptr;
}

//! Points of a polygon up to the end of the packet. Box2D hulls no more than its polygon limit, so
//! reading stops there; a coordinate cut short ends the list, and a lone x still makes (x, 0).
std::vector<b2Vec2> readPoints(net::packet& packet)
{
	std::vector<b2Vec2> points;
	while (points.size() < static_cast<size_t>(b2_maxPolygonVertices) && packet.getBytesLeft() >= 4)
	{
		const irr::f32 x = packet.readFloat();
		if (packet.getBytesLeft() < 4)
		{
			points.emplace_back(x, 0.0f);
			break;
		}
		const irr::f32 y = packet.readFloat();
		points.emplace_back(x, y);
	}
	return points;
}

} // namespace

bool CNetParse::onAddObject(net::packet& packet)
{
	const irr::u32 id = packet.readU32();
	const irr::u8 type = packet.readU8();
	// No class has a longer name, and the line below would carry all of it.
	if (!admitName(packet, "class name"))
		return true;
	const irr::core::ustring16 className = readRest(packet);
	if (type >= ESOT_COUNT)
		return true;

	// A second object under a taken id would put the one object into the scene twice.
	CObjectManager* objects = CObjectManager::getInstance();
	if (objects && !objects->getSceneObject(id))
		makeObject(*objects, id, type, className);
	log("object",
		"Adding type " + std::to_string(type) + " object (" + std::to_string(id) +
			") of class: " + className.toUTF8_std());
	return true;
}

void CNetParse::makeObject(CObjectManager& objects, irr::u32 id, irr::u8 type, const irr::core::ustring16& className)
{
	// The manager's own reading of a class name: none means "blank"; an unknown one makes nothing.
	const CObjectClass* objectClass = objects.findObjectClass(className.empty() ? "blank" : className);
	if (!objectClass || id == 0)
		return;
	const std::string subject = "object (" + std::to_string(id) + ")";
	if (!net::admit(net::ESB_OBJECTS, objects.getSceneObjects().size(), 1, subject))
		return;
	CServerHoldings& holdings = Host.getHoldings();
	const std::size_t attributeBytes = holdings.classAttributeBytes(*objectClass);
	if (!holdings.admit(net::ESB_OBJECT_ATTRIBUTE_BYTES, objects, attributeBytes,
			subject + " of class " + objectClass->getName().toUTF8_std()))
		return;
	Host.createSceneObject(id, type, className);
	if (const CSceneObject* made = objects.getSceneObject(id))
	{
		holdings.objectMade(*made, attributeBytes);
		holdings.addWork(net::copyWork(attributeBytes));
	}
}

bool CNetParse::onDeleteObject(net::packet& packet)
{
	const irr::u32 id = packet.readU32();
	// The engine's pointer to the player holds no reference: it must not outlive the object.
	CSceneObject* player = Host.getPlayerObject();
	if (player && player->getId() == id)
		Host.setPlayerObject(nullptr);
	const bool removed = Host.removeSceneObject(id);
	Host.getHoldings().objectDeleted(id);
	log("object", "Deleting object (" + std::to_string(id) + ")" + (removed ? "" : " - Failure, invalid ID."));
	return true;
}

bool CNetParse::onChangeObjectAttribute(net::packet& packet)
{
	CSceneObject* object = readObject(packet);
	if (!object)
		return true;
	CAttributeList& attributes = object->getClassAttributes();
	for (std::size_t values = 0; packet.getBytesLeft() >= 2; ++values)
	{
		if (!admitAnotherValue(values, "a change", object->getId()))
			break;
		const irr::u16 id = packet.readU16();
		SAttribute* attribute = attributes.findById(id);
		if (!attribute)
			break;
		const unsigned type = typeAhead(packet);
		if (!admitValue(*attribute, packet,
				"object (" + std::to_string(object->getId()) + ") attribute " + attribute->name.toUTF8_std()))
			break;
		const std::size_t before = CServerHoldings::textBytes(*attribute);
		if (!attribute->readValue(packet))
		{
			reportRefusalOnce("attributes", "net: value types",
				"Refused object (" + std::to_string(object->getId()) + ") attribute " + attribute->name.toUTF8_std() +
					" (" + std::to_string(id) + "): type (" + std::to_string(type) +
					"); the rest of the packet is ignored.");
			break;
		}
		Host.getHoldings().objectTextChanged(*object, before, CServerHoldings::textBytes(*attribute));
		log("attributes",
			"Changing object (" + std::to_string(object->getId()) + ") attribute " + attribute->name.toUTF8_std() +
				" (" + std::to_string(id) + "): type (" + std::to_string(static_cast<irr::u32>(attribute->type)) + ")");
	}
	return true;
}

bool CNetParse::onSyncObject(net::packet& packet)
{
	CSceneObject* object = readObject(packet);
	if (!object)
		return true;
	CAttributeList& attributes = object->getEngineAttributes();
	const AttributeChangeCallback onChange = object->getAttributeChangeCallback();
	for (std::size_t values = 0; packet.getBytesLeft(); ++values)
	{
		if (!admitAnotherValue(values, "a sync", object->getId()))
			break;
		const irr::u8 id = packet.readU8();
		SAttribute* attribute = attributes.findById(id);
		if (!attribute)
			break;
		const unsigned type = typeAhead(packet);
		if (!admitValue(*attribute, packet,
				"object (" + std::to_string(object->getId()) + ") engine attribute " + attribute->name.toUTF8_std()))
			break;
		const std::size_t before = CServerHoldings::textBytes(*attribute);
		if (!attribute->readValue(packet))
		{
			reportRefusalOnce("attributes", "net: value types",
				"Refused object (" + std::to_string(object->getId()) + ") engine attribute " +
					attribute->name.toUTF8_std() + " (" + std::to_string(id) + "): type (" + std::to_string(type) +
					"); the rest of the packet is ignored.");
			break;
		}
		Host.getHoldings().objectTextChanged(*object, before, CServerHoldings::textBytes(*attribute));
		if (onChange)
			onChange(id, packet);
	}
	CSceneObject::syncFromBody(object);
	return true;
}

bool CNetParse::onObjectScript(net::packet& packet)
{
	CSceneObject* object = readObject(packet);
	if (!object)
		return true;
	const std::size_t bytes = restTextBytes(packet);
	if (bytes == 0 || !object->getModule())
		return true;
	CServerHoldings& holdings = Host.getHoldings();
	const std::string subject = "script code of " + std::to_string(bytes) + " bytes for object (" +
		std::to_string(object->getId()) + ")";
	const std::size_t held = holdings.objectCode(*object);
	CObjectManager* objects = CObjectManager::getInstance();
	if ((held == 0 && objects && !holdings.admit(net::ESB_OBJECT_SCRIPTS, *objects, 1, subject)) ||
		!admitCode(bytes, held, subject))
		return true;
	const irr::core::ustring16 code = readRest(packet);
	if (code.empty())
		return true;
	// Created may remove the object it runs on.
	object->grab();
	object->getModule()->load(code, scriptSection());
	holdings.objectCodeLoaded(*object, bytes);
	Host.runCreated(object);
	object->drop();
	return true;
}

bool CNetParse::onSetPlayer(net::packet& packet)
{
	if (CSceneObject* object = readObject(packet))
		Host.setPlayerObject(object);
	return true;
}

bool CNetParse::onPhysicsShape(net::packet& packet)
{
	CSceneObject* object = readObject(packet);
	if (!object)
		return true;
	const irr::u8 kind = packet.readU8();

	b2CircleShape circle;
	b2PolygonShape polygon;
	const b2Shape* shape = nullptr;
	EShapeFit fit = ESF_REFUSED;
	switch (kind)
	{
	case ESK_CIRCLE:
		fit = fitCircle(circle, packet.readFloat(), b2Vec2(0.0f, 0.0f));
		shape = &circle;
		break;
	case ESK_BOX:
	{
		const irr::f32 halfWidth = packet.readFloat();
		const irr::f32 halfHeight = packet.readFloat();
		fit = fitBox(polygon, halfWidth, halfHeight, b2Vec2(0.0f, 0.0f), 0.0f);
		shape = &polygon;
		break;
	}
	case ESK_POLYGON:
	{
		const std::vector<b2Vec2> points = readPoints(packet);
		if (points.empty())
			return true;
		fit = fitPolygon(polygon, points.data(), static_cast<irr::u32>(points.size()));
		shape = &polygon;
		break;
	}
	default:
		return true;
	}

	if (fit == ESF_REFUSED)
	{
		reportRefusalOnce("object", "net: shape sizes",
			"Refused collision shape of kind " + std::to_string(kind) + " for object (" +
				std::to_string(object->getId()) + "): a size or point is out of range.");
		return true;
	}
	b2Body* body = object->Physics.getLiveBody();
	if (!body)
		return true;
	const std::string subject = "collision shape of kind " + std::to_string(kind) + " for object (" +
		std::to_string(object->getId()) + ")";
	const b2World& world = *body->GetWorld();
	b2AABB box;
	shape->ComputeAABB(&box, body->GetTransform(), 0);
	const std::size_t limit = net::serverBound(net::ESB_STACKED_SHAPES);
	if (!net::admit(net::ESB_SHAPES_PER_OBJECT, countShapes(*body), 1, subject) ||
		!net::admit(net::ESB_SHAPES, static_cast<std::size_t>(world.GetProxyCount()), 1, subject) ||
		!net::admit(net::ESB_STACKED_SHAPES, countShapesAt(world, box, body, limit + 1), 0, subject))
		return true;
	// Box2D's fixture defaults: density 0, friction 0.2, no restitution, not a sensor, category 1.
	b2FixtureDef def;
	def.shape = shape;
	CPhysicsManager::getInstance()->createFixture(body, def);
	return true;
}

} // namespace orv
