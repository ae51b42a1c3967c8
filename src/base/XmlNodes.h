#pragma once

// How the readers of levels, packages and class definitions recognise the
// nodes of Irrlicht's XML reader: names are compared exactly, case included.

#include <cstring>

#include <IXMLReader.h>

namespace orv {

inline bool isElement(const irr::io::IXMLReaderUTF8& reader, const char* name)
{
	return reader.getNodeType() == irr::io::EXN_ELEMENT && std::strcmp(reader.getNodeName(), name) == 0;
}

inline bool isElementEnd(const irr::io::IXMLReaderUTF8& reader, const char* name)
{
	return reader.getNodeType() == irr::io::EXN_ELEMENT_END && std::strcmp(reader.getNodeName(), name) == 0;
}

//! The attribute's text; empty when it is missing.
inline const char* attributeText(const irr::io::IXMLReaderUTF8& reader, const char* name)
{
	return reader.getAttributeValueSafe(name);
}

} // namespace orv
