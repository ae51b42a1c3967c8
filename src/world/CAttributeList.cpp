#include "world/CAttributeList.h"

#include <string>

#include "base/Refusal.h"
#include "base/packet.h"

using irr::s32;
using irr::u16;
using irr::u32;

namespace orv {

SAttribute* CAttributeList::findByName(const irr::core::ustring16& name) const
{
	if (name.empty())
		return nullptr;
	for (const auto& entry : Attributes)
		if (entry.second->name == name)
			return entry.second.get();
	return nullptr;
}

SAttribute* CAttributeList::findById(u16 id) const
{
	const auto found = Attributes.find(id);
	return found == Attributes.end() ? nullptr : found->second.get();
}

SAttribute* CAttributeList::getOrAdd(const irr::core::ustring16& name, s32 id)
{
	if (SAttribute* existing = findByName(name))
		return existing;

	u16 key;
	if (id == -1)
	{
		if (Attributes.size() > 0xFFFF)
		{
			reportRefusalOnce("attributes", "attributes: no free id", "No free attribute id left.");
			return nullptr;
		}
		// The counter may run into ids that were given explicitly; those stay
		// with their attributes and the new one takes the next id nobody holds.
		key = NextFreeId;
		while (Attributes.count(key))
			++key;
		NextFreeId = static_cast<u16>(key + 1);
	}
	else
	{
		key = static_cast<u16>(id);
		if (Attributes.count(key))
		{
			const std::string message = "Attribute " + name.toUTF8_std() + " refused: id " + std::to_string(key) +
				" belongs to " + Attributes[key]->name.toUTF8_std() + ".";
			// A server can send such a clash in every packet: one line for all of them.
			reportRefusalOnce("attributes", "attributes: taken ids", message);
			return nullptr;
		}
	}

	std::unique_ptr<SAttribute> attribute(new SAttribute());
	attribute->id = key;
	attribute->name = name;
	SAttribute* result = attribute.get();
	Attributes[key] = std::move(attribute);
	return result;
}

SAttribute* CAttributeList::setString(const irr::core::ustring16& name, s32 id, const irr::core::ustring16& text)
{
	SAttribute* attribute = getOrAdd(name, id);
	if (attribute)
		attribute->setString(text);
	return attribute;
}

bool CAttributeList::insert(std::unique_ptr<SAttribute> attribute)
{
	if (!attribute || Attributes.count(attribute->id) || findByName(attribute->name))
		return false;
	const u16 key = attribute->id;
	Attributes[key] = std::move(attribute);
	return true;
}

void CAttributeList::copyFrom(const CAttributeList& source)
{
	if (&source == this)
		return;
	Attributes.clear();
	// Every object copies its class's list. The source's ids and names are its own and unique (both
	// ways in, getOrAdd and insert, see to it), so nothing is looked up: a search of what was copied
	// so far would make a copy cost the square of its length.
	const auto add = [&](const SAttribute& from) -> SAttribute* {
		std::unique_ptr<SAttribute> attribute(new SAttribute());
		attribute->id = from.id;
		attribute->name = from.name;
		SAttribute* result = attribute.get();
		Attributes.emplace_hint(Attributes.end(), from.id, std::move(attribute));
		return result;
	};
	for (const auto& entry : source.Attributes)
	{
		const SAttribute& from = *entry.second;
		SAttribute* to = nullptr;
		switch (from.type)
		{
		case EAT_INT:
			if ((to = add(from)))
				to->setInt(from.getInt());
			break;
		case EAT_UINT:
			if ((to = add(from)))
				to->setUInt(from.getUInt());
			break;
		case EAT_FLOAT:
			if ((to = add(from)))
				to->setFloat(from.getFloat());
			break;
		case EAT_DOUBLE:
			if ((to = add(from)))
				to->setDouble(from.getDouble());
			break;
		case EAT_STRING:
			if ((to = add(from)))
				to->setString(from.getString());
			break;
		default:
			break;
		}
	}
	NextFreeId = source.NextFreeId;
}

bool CAttributeList::readValues(net::packet& data, AttributeChangeCallback onChange)
{
	while (data.getBytesLeft() > 0)
	{
		const u16 id = data.readU8();
		SAttribute* attribute = findById(id);
		if (!attribute || !attribute->readValue(data))
			return false;
		if (onChange)
			onChange(id, data);
	}
	return true;
}

} // namespace orv
