#pragma once
// An attribute's value as the XML formats give it (levels, class
// definitions): the element's "type" names the kind, its "value" holds it.

#include <IXMLReader.h>

namespace orv {

struct SAttribute;

//! "string" (also an empty or missing type) stores the text, "float" and
//! "int" the number the reader makes of it (0 when missing); any other type
//! leaves the attribute as it is.
void setValueFromXml(SAttribute& attribute, const irr::io::IXMLReaderUTF8& reader);

} // namespace orv
