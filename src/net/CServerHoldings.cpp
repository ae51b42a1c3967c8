#include "net/CServerHoldings.h"

#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/CSceneObject.h"

namespace orv {

namespace {

//! An attribute in a list: the record, its map node (three links, a colour, the key) and the
//! pointer that owns it.
const std::size_t attributeRecordBytes = sizeof(SAttribute) + 4 * sizeof(void*) +
	sizeof(CAttributeList::AttributeMap::value_type);

std::size_t textOf(const irr::core::ustring16& text)
{
	return text.size_raw() * sizeof(char16_t);
}

void move(std::size_t& total, std::size_t before, std::size_t after)
{
	total = total - before + after;
}

} // namespace

std::size_t CServerHoldings::textBytes(const SAttribute& attribute)
{
	return textOf(attribute.textValue);
}

std::size_t CServerHoldings::classAttributeBytes(const CObjectClass& objectClass)
{
	SClassShare& share = shareOf(objectClass);
	const CAttributeList& attributes = objectClass.getAttributes();
	if (share.attributeCount != attributes.size())
	{
		std::size_t bytes = 0;
		for (const auto& entry : attributes.getAttributes())
			bytes += attributeRecordBytes + textOf(entry.second->name) + textOf(entry.second->textValue);
		share.attributeCount = attributes.size();
		share.attributeBytes = bytes;
	}
	return share.attributeBytes;
}

std::size_t CServerHoldings::sum(net::EServerBound bound) const
{
	switch (bound)
	{
	case net::ESB_OBJECT_ATTRIBUTE_BYTES:
		return ObjectAttributeBytes;
	case net::ESB_TEXTS_HELD_BYTES:
		return getTextBytes();
	case net::ESB_OBJECT_SCRIPTS:
		return ObjectScripts;
	case net::ESB_SCRIPTS_HELD_BYTES:
		return getCodeBytes();
	default:
		return 0;
	}
}

bool CServerHoldings::admit(
	net::EServerBound bound, const CObjectManager& objects, std::size_t adding, const std::string& refused)
{
	const std::size_t limit = net::serverBound(bound);
	const auto within = [&] { return sum(bound) <= limit && adding <= limit - sum(bound); };
	if (within())
		return true;
	forgetLeftObjects(objects);
	return net::admit(bound, sum(bound), adding, refused);
}

CServerHoldings::SObjectShare& CServerHoldings::shareOf(const CSceneObject& object)
{
	const auto found = Objects.find(object.getId());
	if (found != Objects.end() && found->second.object != &object)
		forget(found);
	SObjectShare& share = Objects[object.getId()];
	share.object = &object;
	return share;
}

CServerHoldings::SClassShare& CServerHoldings::shareOf(const CObjectClass& objectClass)
{
	SClassShare& share = Classes[objectClass.getName()];
	if (share.objectClass != &objectClass)
	{
		ClassCodeBytes -= share.codeBytes;
		share = SClassShare();
		share.objectClass = &objectClass;
	}
	return share;
}

void CServerHoldings::forget(std::map<irr::u32, SObjectShare>::iterator share)
{
	ObjectAttributeBytes -= share->second.attributeBytes;
	ObjectTextBytes -= share->second.textBytes;
	ObjectCodeBytes -= share->second.codeBytes;
	if (share->second.codeBytes != 0)
		--ObjectScripts;
	Objects.erase(share);
}

void CServerHoldings::forgetLeftObjects(const CObjectManager& objects)
{
	if (CheckedRevision == objects.getRevision())
		return;
	CheckedRevision = objects.getRevision();
	for (auto share = Objects.begin(); share != Objects.end();)
	{
		const auto next = std::next(share);
		if (objects.getSceneObject(share->first) != share->second.object)
			forget(share);
		share = next;
	}
}

void CServerHoldings::objectMade(const CSceneObject& object, std::size_t attributeBytes)
{
	SObjectShare& share = shareOf(object);
	move(ObjectAttributeBytes, share.attributeBytes, attributeBytes);
	share.attributeBytes = attributeBytes;
}

void CServerHoldings::objectDeleted(irr::u32 id)
{
	const auto found = Objects.find(id);
	if (found != Objects.end())
		forget(found);
}

void CServerHoldings::objectTextChanged(const CSceneObject& object, std::size_t before, std::size_t after)
{
	SObjectShare& share = shareOf(object);
	// What a script set in between is not the server's: the share never goes below nothing.
	const std::size_t taken = before < share.textBytes ? before : share.textBytes;
	move(share.textBytes, taken, after);
	move(ObjectTextBytes, taken, after);
}

void CServerHoldings::serverTextChanged(std::size_t before, std::size_t after)
{
	const std::size_t taken = before < ServerTextBytes ? before : ServerTextBytes;
	move(ServerTextBytes, taken, after);
}

void CServerHoldings::objectCodeLoaded(const CSceneObject& object, std::size_t bytes)
{
	SObjectShare& share = shareOf(object);
	if (share.codeBytes == 0 && bytes != 0)
		++ObjectScripts;
	else if (share.codeBytes != 0 && bytes == 0)
		--ObjectScripts;
	move(ObjectCodeBytes, share.codeBytes, bytes);
	share.codeBytes = bytes;
}

void CServerHoldings::classCodeLoaded(const CObjectClass& objectClass, std::size_t bytes)
{
	SClassShare& share = shareOf(objectClass);
	move(ClassCodeBytes, share.codeBytes, bytes);
	share.codeBytes = bytes;
}

std::size_t CServerHoldings::objectCode(const CSceneObject& object) const
{
	const auto found = Objects.find(object.getId());
	return found != Objects.end() && found->second.object == &object ? found->second.codeBytes : 0;
}

std::size_t CServerHoldings::classCode(const CObjectClass& objectClass) const
{
	const auto found = Classes.find(objectClass.getName());
	return found != Classes.end() && found->second.objectClass == &objectClass ? found->second.codeBytes : 0;
}

void CServerHoldings::clear()
{
	Objects.clear();
	Classes.clear();
	ObjectAttributeBytes = ObjectTextBytes = ServerTextBytes = 0;
	ObjectCodeBytes = ObjectScripts = ClassCodeBytes = ClientCodeBytes = 0;
	CheckedRevision = 0;
	Work = 0;
	ErrorBoxes.clear();
}

} // namespace orv
