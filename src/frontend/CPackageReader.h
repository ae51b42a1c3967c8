#pragma once
// Reads a package's "package.xml" (root element "orvpackage", version 1):
// the name and version of its "package" element, the files its "logo",
// "objectclass" and "clientscript" children name, and its "description".
// Packages come from anywhere: a file that is missing, cut short, not XML or
// of another version gives what could be read, never an error.

#include <IXMLReader.h>

#include "frontend/SPackageInfo.h"

namespace irr {
class IrrlichtDevice;
namespace io {
class IReadFile;
} // namespace io
} // namespace irr

namespace orv {

class CPackageReader
{
public:
	//! The device's file system reads and its logger hears of cut files.
	explicit CPackageReader(irr::IrrlichtDevice* device);

	//! The description in the opened file; empty when it cannot be read.
	SPackageInfo read(irr::io::IReadFile* file);

private:
	// The children of the current "package" element, up to its end tag.
	void readPackage(SPackageInfo& info);
	// The text of the current "description" element, up to its end tag.
	void readDescription(SPackageInfo& info);

	irr::IrrlichtDevice* Device;
	irr::io::IXMLReaderUTF8* Reader = nullptr;
};

} // namespace orv
