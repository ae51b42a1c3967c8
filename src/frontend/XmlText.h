#pragma once
// What the front end's XML readers share: names compared exactly, texts taken
// from UTF-8, the whitespace trimmed off element texts.

#include <cstring>

#include <IXMLReader.h>

#include "base/ustring16.h"

namespace orv {

//! The characters trimmed off both ends of an element's text.
inline const irr::core::ustring16& xmlWhitespace()
{
	static const irr::core::ustring16 whitespace(" \t\n\r");
	return whitespace;
}

inline bool isElement(irr::io::IXMLReaderUTF8* reader, const char* name)
{
	return reader->getNodeType() == irr::io::EXN_ELEMENT && std::strcmp(reader->getNodeName(), name) == 0;
}

inline bool isElementEnd(irr::io::IXMLReaderUTF8* reader, const char* name)
{
	return reader->getNodeType() == irr::io::EXN_ELEMENT_END && std::strcmp(reader->getNodeName(), name) == 0;
}

//! The attribute's text; empty when the element lacks it.
inline irr::core::ustring16 attributeText(irr::io::IXMLReaderUTF8* reader, const char* name)
{
	return irr::core::ustring16(reader->getAttributeValueSafe(name));
}

} // namespace orv
