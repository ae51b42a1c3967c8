#pragma once

#include <map>
#include <memory>

#include <irrTypes.h>

#include "base/ustring16.h"
#include "world/SAttribute.h"

namespace orv {

//! Called after each value that readValues stores: the attribute id and the
//! packet, its read position behind the value.
typedef void (*AttributeChangeCallback)(irr::u32 id, orv::net::packet& data);

//! The attributes of one owner by id, iterated in ascending id. The list owns
//! its attributes; ids are unique, and names are unique as long as attributes
//! enter through getOrAdd.
class CAttributeList
{
public:
	typedef std::map<irr::u16, std::unique_ptr<SAttribute>> AttributeMap;

	CAttributeList() = default;
	CAttributeList(const CAttributeList&) = delete;
	CAttributeList& operator=(const CAttributeList&) = delete;
	CAttributeList(CAttributeList&&) = default;
	CAttributeList& operator=(CAttributeList&&) = default;

	//! Null for an empty name or when no attribute has it (case matters).
	SAttribute* findByName(const irr::core::ustring16& name) const;
	SAttribute* findById(irr::u16 id) const;

	//! The attribute of that name, untouched when present. Otherwise a new one
	//! (EAT_UINT 0) under the low 16 bits of id, or for id -1 under the first
	//! id from the next free id on that no attribute holds. An explicit id that
	//! an attribute of another name holds is refused with a logged warning and
	//! gives null, as does a list with every id taken.
	SAttribute* getOrAdd(const irr::core::ustring16& name, irr::s32 id);
	//! getOrAdd, then the attribute's setString; null when getOrAdd refused.
	SAttribute* setString(const irr::core::ustring16& name, irr::s32 id, const irr::core::ustring16& text);

	//! Takes over an attribute made elsewhere. Refused (the attribute freed,
	//! false returned) when its id or its name is already in the list.
	bool insert(std::unique_ptr<SAttribute> attribute);

	//! Makes this list a deep copy of another: the same ids, names, types,
	//! values and next free id. Attributes of no valid type are left out.
	void copyFrom(const CAttributeList& source);

	//! Reads (u8 id, value) pairs to the end of the packet. False at the first
	//! id the list lacks or the first value readValue refuses; what was read
	//! before stays applied.
	bool readValues(orv::net::packet& data, AttributeChangeCallback onChange = nullptr);

	const AttributeMap& getAttributes() const { return Attributes; }
	irr::u32 size() const { return static_cast<irr::u32>(Attributes.size()); }
	irr::u16 getNextFreeId() const { return NextFreeId; }

private:
	//! Keeps the name index in step; the id must be free.
	void add(std::unique_ptr<SAttribute> attribute);

	AttributeMap Attributes;
	// The attributes of non-empty names by name: a class may have tens of
	// thousands, and each object made of it copies them all.
	std::map<irr::core::ustring16, SAttribute*> ByName;
	irr::u16 NextFreeId = 0;
};

} // namespace orv
