// What the server defines for the client to run: its own script code, object classes with their
// attributes and code, and the server-wide attributes with their values.

#include "base/Refusal.h"
#include "net/CNetParse.h"

#include "net/CServerHoldings.h"
#include "net/INetParseHost.h"
#include "net/ServerBounds.h"
#include "script/CScriptModule.h"
#include "world/CAttributeList.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"

#include <string>

namespace orv {

namespace {

std::string codeOf(const std::string& owner, std::size_t bytes)
{
	return "script code of " + std::to_string(bytes) + " bytes for " + owner;
}

} // namespace

bool CNetParse::onMainScript(net::packet& packet)
{
	CServerHoldings& holdings = Host.getHoldings();
	const std::size_t bytes = restTextBytes(packet);
	if (!admitCode(bytes, holdings.clientCode(), codeOf("the client", bytes)))
		return true;
	const irr::core::ustring16 code = readRest(packet);
	if (script::CScriptModule* module = Host.getClientModule())
	{
		module->load(code, scriptSection());
		holdings.clientCodeLoaded(bytes);
	}
	return true;
}

bool CNetParse::onAddClass(net::packet& packet)
{
	if (!admitName(packet, "class name"))
		return true;
	const irr::core::ustring16 name = readRest(packet);
	CObjectManager* objects = CObjectManager::getInstance();
	if (objects && !objects->findObjectClass(name) &&
		!net::admit(net::ESB_CLASSES, objects->getObjectClasses().size(), 1, "class " + name.toUTF8_std()))
		return true;
	if (objects)
		objects->getObjectClass(Host.getScriptManager(), name);
	log("class", "Adding class: " + name.toUTF8_std());
	return true;
}

bool CNetParse::onAddClassAttribute(net::packet& packet)
{
	const irr::u8 length = packet.readU8();
	const irr::core::ustring16 className = packet.readChars(length);
	const irr::u16 id = packet.readU16();
	if (!admitName(packet, "attribute name"))
		return true;
	const irr::core::ustring16 name = readRest(packet);

	CObjectManager* objects = CObjectManager::getInstance();
	CObjectClass* objectClass = objects ? objects->findObjectClass(className) : nullptr;
	if (!objectClass)
		return true;
	CAttributeList& attributes = objectClass->getAttributes();
	// Only a full list needs the search: a name it has already adds nothing.
	const bool full = attributes.size() >= net::serverBound(net::ESB_CLASS_ATTRIBUTES);
	chargeSearch(attributes, name);
	if (full && !attributes.findByName(name) &&
		!net::admit(net::ESB_CLASS_ATTRIBUTES, attributes.size(), 1,
			"attribute " + name.toUTF8_std() + " of class " + className.toUTF8_std()))
		return true;
	// An id another name holds is refused and logged by the list; nothing was added then.
	if (full)
		chargeSearch(attributes, name);
	if (!attributes.getOrAdd(name, id))
		return true;
	log("attributes",
		"Adding attribute " + name.toUTF8_std() + " (" + std::to_string(id) + "), to class: " + className.toUTF8_std());
	return true;
}

bool CNetParse::onClassScript(net::packet& packet)
{
	const irr::u8 length = packet.readU8();
	const irr::core::ustring16 className = packet.readChars(length);

	CObjectManager* objects = CObjectManager::getInstance();
	CObjectClass* objectClass = objects ? objects->findObjectClass(className) : nullptr;
	if (!objectClass || !objectClass->getModule())
		return true;
	CServerHoldings& holdings = Host.getHoldings();
	const std::size_t bytes = restTextBytes(packet);
	if (!admitCode(bytes, holdings.classCode(*objectClass), codeOf("class " + className.toUTF8_std(), bytes)))
		return true;
	objectClass->getModule()->load(readRest(packet), scriptSection());
	holdings.classCodeLoaded(*objectClass, bytes);
	return true;
}

bool CNetParse::onAddServerAttribute(net::packet& packet)
{
	const irr::u16 id = packet.readU16();
	if (!admitName(packet, "attribute name"))
		return true;
	const irr::core::ustring16 name = readRest(packet);

	CAttributeList* attributes = Host.getServerAttributes();
	if (!attributes)
		return true;
	const bool full = attributes->size() >= net::serverBound(net::ESB_SERVER_ATTRIBUTES);
	chargeSearch(*attributes, name);
	if (full && !attributes->findByName(name) &&
		!net::admit(net::ESB_SERVER_ATTRIBUTES, attributes->size(), 1, "server attribute " + name.toUTF8_std()))
		return true;
	if (full)
		chargeSearch(*attributes, name);
	if (!attributes->getOrAdd(name, id))
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
	for (std::size_t values = 0; packet.getBytesLeft() >= 2; ++values)
	{
		if (!admitAnotherValue(values, "a change of server props"))
			break;
		const irr::u16 id = packet.readU16();
		SAttribute* attribute = attributes->findById(id);
		if (!attribute)
			break;
		const unsigned type = typeAhead(packet);
		if (!admitValue(*attribute, packet, "server prop " + attribute->name.toUTF8_std()))
			break;
		const std::size_t before = CServerHoldings::textBytes(*attribute);
		// The bytes behind a value that cannot be read are no longer known to be attribute ids.
		if (!attribute->readValue(packet))
		{
			reportRefusalOnce("attributes", "net: value types",
				"Refused server prop " + attribute->name.toUTF8_std() + "(" + std::to_string(id) + "): type (" +
					std::to_string(type) + "); the rest of the packet is ignored.");
			break;
		}
		Host.getHoldings().serverTextChanged(before, CServerHoldings::textBytes(*attribute));
		log("attributes",
			"Changing server prop " + attribute->name.toUTF8_std() + "(" + std::to_string(id) + "): type (" +
				std::to_string(static_cast<irr::u32>(attribute->type)) + ")");
	}
	return true;
}

} // namespace orv
