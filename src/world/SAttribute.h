#pragma once

#include <irrTypes.h>

#include "base/ustring16.h"

namespace orv {

namespace net {
class packet;
}

//! Value types of an attribute; the numbers travel on the wire.
enum EAttributeType : irr::s32
{
	EAT_INVALID = 0,
	EAT_INT = 1,
	EAT_UINT = 2,
	EAT_FLOAT = 3,
	EAT_DOUBLE = 4,
	EAT_STRING = 5,
	EPT_COUNT = 6
};

//! One typed, numbered, named value. Only the field of the current type means
//! anything; the others keep what they last held.
struct SAttribute
{
	irr::u16 id = 0;
	EAttributeType type = EAT_UINT;
	irr::core::ustring16 name;
	irr::u64 intValue = 0; // signed for EAT_INT, unsigned for EAT_UINT
	irr::f32 floatValue = 0.0f;
	irr::f64 doubleValue = 0.0;
	irr::core::ustring16 textValue;

	irr::s64 getInt() const;
	irr::u64 getUInt() const;
	irr::f32 getFloat() const;
	irr::f64 getDouble() const;
	irr::core::ustring16 getString() const;
	irr::core::ustring16 getName() const { return name; }

	void setInt(irr::s64 value);
	void setUInt(irr::u64 value);
	void setFloat(irr::f32 value);
	void setDouble(irr::f64 value);
	//! Leaves the numeric fields as they are.
	void setString(const irr::core::ustring16& text);

	//! Reads one typed value at the packet's read position. Type byte 0 carries
	//! no value and leaves the attribute alone (true). A type above EAT_STRING,
	//! an integer width of 0 or above 8, or a value cut short by the end of the
	//! packet leaves the attribute unchanged, puts the read position back where
	//! the value began and gives false: the bytes behind such a value cannot be
	//! told apart from the value any more.
	bool readValue(net::packet& data);

private:
	// Lets go of the text of an earlier string value. Numbers are set for
	// every object every frame: an empty text is left as it is.
	void forgetText()
	{
		if (!textValue.empty())
			textValue = irr::core::ustring16();
	}
};

} // namespace orv
