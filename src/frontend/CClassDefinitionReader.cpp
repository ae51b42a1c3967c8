#include "frontend/CClassDefinitionReader.h"

#include <IrrlichtDevice.h>

#include "base/XmlNodes.h"
#include "base/XmlReader.h"
#include "frontend/TextFile.h"
#include "script/CScriptModule.h"
#include "script/ScriptBuildGroup.h"
#include "world/AttributeXml.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"
#include "world/SAttribute.h"

namespace orv {

using irr::core::ustring16;

namespace {

const int CLASSES_VERSION = 1;
//! The section every loaded piece of script code goes in.
const char* const SCRIPT_SECTION = "main";

} // namespace

CClassDefinitionReader::CClassDefinitionReader(irr::IrrlichtDevice* device, script::CScriptManager* scripts)
	: Device(device)
	, Scripts(scripts)
{
}

void CClassDefinitionReader::read(const irr::io::path& fileName)
{
	if (!Device)
		return;
	Reader = createXmlReader(Device->getFileSystem(), fileName);
	if (!Reader)
		return;
	FileName = fileName.c_str();
	// The class scripts of one file share one budget, as a level's do.
	const script::CScriptBuildGroup builds;

	while (Reader->read())
	{
		if (isElement(*Reader, "orvclasses"))
		{
			if (Reader->getAttributeValueAsInt("version") != CLASSES_VERSION)
				break;
		}
		else if (isElement(*Reader, "objectclasses") && !Reader->isEmptyElement())
		{
			readClasses();
		}
	}

	Reader->drop();
	Reader = nullptr;
}

void CClassDefinitionReader::readClasses()
{
	CObjectManager* objects = CObjectManager::getInstance();
	if (!objects)
		return;
	while (Reader->read() && !isElementEnd(*Reader, "objectclasses"))
	{
		if (!isElement(*Reader, "class"))
			continue;
		const ustring16 name = attributeText(*Reader, "name");
		CObjectClass* objectClass = objects->findObjectClass(name);
		// A new class comes with a fresh, empty module: every callback absent
		// until code comes.
		if (!objectClass)
			objectClass = objects->getObjectClass(Scripts, name);
		if (!objectClass)
			continue;
		if (!Reader->isEmptyElement())
			readClass(*objectClass);
	}
}

void CClassDefinitionReader::readClass(CObjectClass& objectClass)
{
	while (Reader->read() && !isElementEnd(*Reader, "class"))
	{
		if (isElement(*Reader, "attribute"))
		{
			readAttribute(objectClass);
		}
		else if (isElement(*Reader, "script"))
		{
			if (!Reader->isEmptyElement())
				readScriptText(objectClass);
			else
				readScriptFile(attributeText(*Reader, "file"), objectClass.getModule());
			if (script::CScriptModule* module = objectClass.getModule())
				module->resolveCallbacks();
		}
	}
}

void CClassDefinitionReader::readAttribute(CObjectClass& objectClass)
{
	// A new attribute takes the list's next free id and starts as EAT_UINT 0;
	// one named before keeps its id.
	SAttribute* attribute = objectClass.getAttributes().getOrAdd(ustring16(attributeText(*Reader, "name")), -1);
	if (attribute)
		setValueFromXml(*attribute, *Reader);
}

void CClassDefinitionReader::readScriptText(CObjectClass& objectClass)
{
	while (Reader->read() && !isElementEnd(*Reader, "script"))
	{
		if (Reader->getNodeType() != irr::io::EXN_CDATA)
			continue;
		ustring16 code(Reader->getNodeData());
		code.trim();
		if (script::CScriptModule* module = objectClass.getModule())
			module->load(code, SCRIPT_SECTION, FileName);
	}
}

void CClassDefinitionReader::readScriptFile(const ustring16& fileName, script::CScriptModule* module)
{
	ustring16 code;
	if (module && readTextFile(Device->getFileSystem(), fileName.toUTF8_s(), code))
		module->load(code, SCRIPT_SECTION, fileName.toUTF8_std());
}

} // namespace orv
