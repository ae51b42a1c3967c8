#pragma once
// What the server has made the client hold that no list of the world sums up
// by itself: the class attributes its objects copied, the text values it set,
// the script code it loaded. The packet handlers add to these sums before
// they build, and check them against their bounds (ServerBounds.h). Objects
// may leave behind the handlers' backs (a script removes one): their share is
// taken off when a bound would be passed and the registry has changed since.

#include "base/ustring16.h"
#include "net/CServerErrorBoxes.h"
#include "net/ServerBounds.h"

#include <irrTypes.h>

#include <cstddef>
#include <map>
#include <string>

namespace orv {

class CObjectClass;
class CObjectManager;
class CSceneObject;
struct SAttribute;

namespace script {
class CScriptModule;
}

class CServerHoldings
{
public:
	//! What a copy of the class's attributes holds: each attribute, its list entry and its texts.
	std::size_t classAttributeBytes(const CObjectClass& objectClass);
	//! What an attribute's text holds.
	static std::size_t textBytes(const SAttribute& attribute);

	//! Within the bound of `bound` (one of the sums kept here) once `adding` joins the sum?
	//! Otherwise the refusal of `refused` is reported.
	bool admit(net::EServerBound bound, const CObjectManager& objects, std::size_t adding, const std::string& refused);

	//! A new object the server made: its copy of the class attributes joins the sum.
	void objectMade(const CSceneObject& object, std::size_t attributeBytes);
	//! The object the server deleted.
	void objectDeleted(irr::u32 id);

	//! One of the object's attributes now holds `after` bytes of text instead of `before`.
	void objectTextChanged(const CSceneObject& object, std::size_t before, std::size_t after);
	void serverTextChanged(std::size_t before, std::size_t after);

	//! The code of `bytes` now held by the object's own module, by a class's module or by the client's.
	void objectCodeLoaded(const CSceneObject& object, std::size_t bytes);
	void classCodeLoaded(const CObjectClass& objectClass, std::size_t bytes);
	void clientCodeLoaded(std::size_t bytes) { ClientCodeBytes = bytes; }
	//! The code the object's module holds, as counted here; 0 for one without code of its own.
	std::size_t objectCode(const CSceneObject& object) const;
	std::size_t classCode(const CObjectClass& objectClass) const;
	std::size_t clientCode() const { return ClientCodeBytes; }

	//! The sums as they stand (nothing taken off).
	std::size_t getObjectAttributeBytes() const { return ObjectAttributeBytes; }
	std::size_t getTextBytes() const { return ObjectTextBytes + ServerTextBytes; }
	std::size_t getObjectScripts() const { return ObjectScripts; }
	std::size_t getCodeBytes() const { return ObjectCodeBytes + ClassCodeBytes + ClientCodeBytes; }

	net::CServerErrorBoxes& getErrorBoxes() { return ErrorBoxes; }

	//! What a handler built costs beyond what its packet weighs (ReceiveWork.h): the copies of a
	//! large class's attributes, a large file written. The frame's budget is charged with it.
	void addWork(std::size_t units) { Work = Work + units < Work ? ~std::size_t(0) : Work + units; }
	//! The work added since the last call.
	irr::u32 takeWork()
	{
		const irr::u32 work = Work > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<irr::u32>(Work);
		Work = 0;
		return work;
	}

	//! A new connection holds nothing yet.
	void clear();

private:
	struct SObjectShare
	{
		const CSceneObject* object = nullptr;
		std::size_t attributeBytes = 0;
		std::size_t textBytes = 0;
		std::size_t codeBytes = 0;
	};
	struct SClassShare
	{
		const CObjectClass* objectClass = nullptr;
		std::size_t codeBytes = 0;
		//! classAttributeBytes at that many attributes.
		irr::u32 attributeCount = ~0u;
		std::size_t attributeBytes = 0;
	};

	std::size_t sum(net::EServerBound bound) const;
	//! The share of the object, made when it has none (or one of an earlier object of its id).
	SObjectShare& shareOf(const CSceneObject& object);
	SClassShare& shareOf(const CObjectClass& objectClass);
	void forget(std::map<irr::u32, SObjectShare>::iterator share);
	//! Takes off the shares of objects that left the registry, once for each of its revisions.
	void forgetLeftObjects(const CObjectManager& objects);

	std::map<irr::u32, SObjectShare> Objects;
	std::map<irr::core::ustring16, SClassShare> Classes;
	std::size_t ObjectAttributeBytes = 0;
	std::size_t ObjectTextBytes = 0;
	std::size_t ServerTextBytes = 0;
	std::size_t ObjectCodeBytes = 0;
	std::size_t ObjectScripts = 0;
	std::size_t ClassCodeBytes = 0;
	std::size_t ClientCodeBytes = 0;
	irr::u64 CheckedRevision = 0;
	std::size_t Work = 0;
	net::CServerErrorBoxes ErrorBoxes;
};

} // namespace orv
