#pragma once
// The natives that join a script string with another string or a number, and
// its equality; each takes the string object first and returns a new value.

#include "base/ustring16.h"

namespace orv::script {

irr::core::ustring16 addString(const irr::core::ustring16& self, const irr::core::ustring16& other);
irr::core::ustring16 addStringInt16(const irr::core::ustring16& self, short number);
irr::core::ustring16 addStringUInt16(const irr::core::ustring16& self, unsigned short number);
irr::core::ustring16 addStringInt(const irr::core::ustring16& self, int number);
irr::core::ustring16 addStringUInt(const irr::core::ustring16& self, unsigned int number);
irr::core::ustring16 addStringFloat(const irr::core::ustring16& self, float number);
irr::core::ustring16 addStringDouble(const irr::core::ustring16& self, double number);
bool equalsString(const irr::core::ustring16& self, const irr::core::ustring16& other);

} // namespace orv::script
