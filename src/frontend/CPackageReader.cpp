#include "frontend/CPackageReader.h"

#include <IrrlichtDevice.h>

#include "base/XmlNodes.h"
#include "base/XmlReader.h"

namespace orv {

namespace {
const int PACKAGE_VERSION = 1;
}

CPackageReader::CPackageReader(irr::IrrlichtDevice* device) : Device(device)
{
}

SPackageInfo CPackageReader::read(irr::io::IReadFile* file)
{
	SPackageInfo info;
	if (!Device || !file)
		return info;
	Reader = createXmlReader(Device->getFileSystem(), file);
	if (!Reader)
		return info;

	while (Reader->read())
	{
		if (isElement(*Reader, "orvpackage"))
		{
			if (Reader->getAttributeValueAsInt("version") != PACKAGE_VERSION)
				break;
		}
		else if (isElement(*Reader, "package"))
		{
			// Without both attributes its children are read as the outer
			// loop's nodes, which ignores them.
			if (!Reader->getAttributeValue("name") || !Reader->getAttributeValue("version"))
				continue;
			info.Name = attributeText(*Reader, "name");
			info.Version = attributeText(*Reader, "version");
			// An empty element has no children and no end tag to stop at.
			if (!Reader->isEmptyElement())
				readPackage(info);
		}
	}

	Reader->drop();
	Reader = nullptr;
	return info;
}

void CPackageReader::readPackage(SPackageInfo& info)
{
	while (Reader->read() && !isElementEnd(*Reader, "package"))
	{
		if (isElement(*Reader, "logo"))
			info.LogoFile = attributeText(*Reader, "file");
		else if (isElement(*Reader, "objectclass"))
			info.ObjectClassFile = attributeText(*Reader, "file");
		else if (isElement(*Reader, "clientscript"))
			info.ClientScriptFile = attributeText(*Reader, "file");
		else if (isElement(*Reader, "description") && !Reader->isEmptyElement())
			readDescription(info);
	}
}

void CPackageReader::readDescription(SPackageInfo& info)
{
	while (Reader->read() && !isElementEnd(*Reader, "description"))
	{
		const irr::io::EXML_NODE type = Reader->getNodeType();
		if (type == irr::io::EXN_TEXT || type == irr::io::EXN_CDATA)
		{
			info.Description = irr::core::ustring16(Reader->getNodeData());
			info.Description.trim();
		}
	}
}

} // namespace orv
