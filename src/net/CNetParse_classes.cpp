// What the server defines for the client to run: its own script code, object classes with their
// attributes and code, and the server-wide attributes with their values.

#include "base/Refusal.h"
#include "net/CNetParse.h"

#include "net/INetParseHost.h"
#include "script/CScriptModule.h"
#include "world/CAttributeList.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"

#include <string>

namespace orv {

bool CNetParse::onMainScript(net::packet& packet)
{
	const irr::core::ustring16 code = readRest(packet);
	if (script::CScriptModule* module = Host.getClientModule())
		module->load(code, scriptSection());
	return true;
}

bool CNetParse::onAddClass(net::packet& packet)
{
	const irr::core::ustring16 name = readRest(packet);
	if (CObjectManager* objects = CObjectManager::getInstance())
		objects->getObjectClass(Host.getScriptManager(), name);
	log("class", "Adding class: " + name.toUTF8_std());
	return true;
}

bool CNetParse::onAddClassAttribute(net::packet& packet)
{
	const irr::u8 length = packet.readU8();
	const irr::core::ustring16 className = packet.readChars(length);
	const irr::u16 id = packet.readU16();
	const irr::core::ustring16 name = readRest(packet);

	CObjectManager* objects = CObjectManager::getInstance();
	CObjectClass* objectClass = objects ? objects->findObjectClass(className) : nullptr;
	if (!objectClass)
		return true;
	// An id another name holds is refused and logged by the list; nothing was added then.
	if (!objectClass->getAttributes().getOrAdd(name, id))
		return true;
	log("attributes",
		"Adding attribute " + name.toUTF8_std() + " (" + std::to_string(id) + "), to class: " + className.toUTF8_std());
	return true;
}

bool CNetParse::onClassScript(net::packet& packet)
{
	const irr::u8 length = packet.readU8();
	const irr::core::ustring16 className = packet.readChars(length);
	const irr::core::ustring16 code = readRest(packet);

	CObjectManager* objects = CObjectManager::getInstance();
	CObjectClass* objectClass = objects ? objects->findObjectClass(className) : nullptr;
	if (objectClass && objectClass->getModule())
		objectClass->getModule()->load(code, scriptSection());
	return true;
}

bool CNetParse::onAddServerAttribute(net::packet& packet)
{
	const irr::u16 id = packet.readU16();
	const irr::core::ustring16 name = readRest(packet);

	CAttributeList* attributes = Host.getServerAttributes();
	if (!attributes || !attributes->getOrAdd(name, id))
		return true;
	log("attributes", "Adding server attribute " + name.toUTF8_std() + " (" + std::to_string(id) + ")");
	return true;
}

bool CNetParse::onChangeServerProperty(net::packet& packet)
{
	CAttributeList* attributes = Host.getServerAttributes();
	if (!attributes)
		return true;
	// A lone byte is no id: read as one it would give id 0 and leave the byte to be read as a value.
	while (packet.getBytesLeft() >= 2)
	{
		const irr::u16 id = packet.readU16();
		SAttribute* attribute = attributes->findById(id);
		if (!attribute)
			break;
		const unsigned type = typeAhead(packet);
		// The bytes behind a value that cannot be read are no longer known to be attribute ids.
		if (!attribute->readValue(packet))
		{
			reportRefusal("attributes",
				"Refused server prop " + attribute->name.toUTF8_std() + "(" + std::to_string(id) + "): type (" +
					std::to_string(type) + "); the rest of the packet is ignored.");
			break;
		}
		log("attributes",
			"Changing server prop " + attribute->name.toUTF8_std() + "(" + std::to_string(id) + "): type (" +
				std::to_string(static_cast<irr::u32>(attribute->type)) + ")");
	}
	return true;
}

} // namespace orv
