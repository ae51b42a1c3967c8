#pragma once
// Reads an object-class definition file (root element "orvclasses", version
// 1) for offline play: each "class" of its "objectclasses" list is made in
// the object manager when new, its "attribute" elements become typed class
// attributes and its "script" (CDATA or a file) the class module's code.
// The file comes with a package, from anywhere: what cannot be read leaves
// the classes as far as they were read, and nothing is reported.

#include <string>

#include <IXMLReader.h>
#include <path.h>

#include "base/ustring16.h"

namespace irr {
class IrrlichtDevice;
} // namespace irr

namespace orv {

class CObjectClass;
namespace script {
class CScriptManager;
class CScriptModule;
} // namespace script

class CClassDefinitionReader
{
public:
	//! The device's file system opens the files; new classes' modules are
	//! bound to the script manager (none: classes without scripts).
	CClassDefinitionReader(irr::IrrlichtDevice* device, script::CScriptManager* scripts);

	void read(const irr::io::path& fileName);

private:
	// The children of the current "objectclasses" element, up to its end tag.
	void readClasses();
	// The children of the current "class" element, up to its end tag.
	void readClass(CObjectClass& objectClass);
	void readAttribute(CObjectClass& objectClass);
	// The CDATA sections of the current "script" element, up to its end tag.
	void readScriptText(CObjectClass& objectClass);
	void readScriptFile(const irr::core::ustring16& fileName, script::CScriptModule* module);

	irr::IrrlichtDevice* Device;
	script::CScriptManager* Scripts;
	irr::io::IXMLReaderUTF8* Reader = nullptr;
	// The file being read, for the log's lines about the scripts it holds.
	std::string FileName;
};

} // namespace orv
