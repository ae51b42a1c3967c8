#include "world/AttributeXml.h"

#include <cstring>

#include "base/XmlNodes.h"
#include "base/ustring16.h"
#include "world/SAttribute.h"

namespace orv {

void setValueFromXml(SAttribute& attribute, const irr::io::IXMLReaderUTF8& reader)
{
	const char* type = attributeText(reader, "type");
	if (type[0] == 0 || std::strcmp(type, "string") == 0)
		attribute.setString(irr::core::ustring16(attributeText(reader, "value")));
	else if (std::strcmp(type, "float") == 0)
		attribute.setFloat(reader.getAttributeValueAsFloat("value"));
	else if (std::strcmp(type, "int") == 0)
		attribute.setInt(static_cast<irr::s64>(reader.getAttributeValueAsInt("value")));
}

} // namespace orv
