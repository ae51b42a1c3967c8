#include <string>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "frontend/CPackageReader.h"

namespace {

using namespace orv;

struct SDevice
{
	irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
	~SDevice() { device->drop(); }
};

SPackageInfo readDocument(irr::IrrlichtDevice* device, std::string document)
{
	irr::io::IReadFile* file = device->getFileSystem()->createMemoryReadFile(
		&document[0], static_cast<irr::s32>(document.size()), "package.xml", false);
	SPackageInfo info = CPackageReader(device).read(file);
	file->drop();
	return info;
}

TEST(PackageReader, ReadsWhatTheDescriptionHolds)
{
	struct Case
	{
		const char* what;
		const char* document;
		SPackageInfo expected; // name, version, logo, description, classes, script
	};
	const char* const full = "<?xml version=\"1.0\"?>\n<orvpackage version=\"1\">\n"
							 " <package name=\"Sample\" version=\"1.2\">\n"
							 "  <logo file=\"logo.png\"/>\n  <objectclass file=\"classes.xml\"/>\n"
							 "  <clientscript file=\"client.as\"/>\n"
							 "  <description>\n   A small game.\n  </description>\n"
							 " </package>\n</orvpackage>\n";
	const Case cases[] = {
		{"a whole description", full, {"Sample", "1.2", "logo.png", "A small game.", "classes.xml", "client.as"}},
		{"another version",
			"<orvpackage version=\"2\"><package name=\"a\" version=\"1\"><logo file=\"l\"/>"
			"</package></orvpackage>",
			{}},
		{"a root without a version", "<orvpackage><package name=\"a\" version=\"1\"/></orvpackage>", {}},
		{"no version on the package",
			"<orvpackage version=\"1\"><package name=\"a\"><logo file=\"l.png\"/>"
			"<description>d</description></package></orvpackage>",
			{}},
		{"no name on the package", "<orvpackage version=\"1\"><package version=\"1\"/></orvpackage>", {}},
		{"no root at all", "<package name=\"a\" version=\"1\"><logo file=\"l.png\"/></package>",
			{"a", "1", "l.png", "", "", ""}},
		{"text, a comment, more text: the last part",
			"<package name=\"a\" version=\"1\"><description> first <!-- note -->\n second\t</description>"
			"</package>",
			{"a", "1", "", "second", "", ""}},
		{"a CDATA description",
			"<package name=\"a\" version=\"1\"><description><![CDATA[ <b>bold</b> ]]>"
			"</description></package>",
			{"a", "1", "", "<b>bold</b>", "", ""}},
		{"repeated children: the last wins",
			"<package name=\"a\" version=\"1\"><logo file=\"one\"/><logo file=\"two\"/>"
			"<clientscript file=\"x\"/><clientscript/></package>",
			{"a", "1", "two", "", "", ""}},
		{"a second package overwrites what it sets",
			"<package name=\"a\" version=\"1\"><logo file=\"one\"/><objectclass file=\"c\"/></package>"
			"<package name=\"b\" version=\"2\"><logo file=\"two\"/></package>",
			{"b", "2", "two", "", "c", ""}},
		{"an empty package has no children", "<package name=\"a\" version=\"1\"/><logo file=\"outside\"/>",
			{"a", "1", "", "", "", ""}},
		{"UTF-8 texts",
			"<package name=\"Gr\xC3\xBC\xC3\x9F"
			"e\" version=\"\xE2\x80\xA0\"/>",
			{"Gr\xC3\xBC\xC3\x9F"
			 "e",
				"\xE2\x80\xA0", "", "", "", ""}},
		{"cut inside a later tag", "<package name=\"a\" version=\"1\"><logo file=\"l.png\"/><clientscript fi",
			{"a", "1", "l.png", "", "", ""}},
		{"not XML", "PK\x03\x04 binary bytes", {}},
		{"empty", "", {}},
	};
	SDevice device;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.what);
		const SPackageInfo info = readDocument(device.device, c.document);
		EXPECT_EQ(info.Name.toUTF8_std(), c.expected.Name.toUTF8_std());
		EXPECT_EQ(info.Version.toUTF8_std(), c.expected.Version.toUTF8_std());
		EXPECT_EQ(info.LogoFile.toUTF8_std(), c.expected.LogoFile.toUTF8_std());
		EXPECT_EQ(info.Description.toUTF8_std(), c.expected.Description.toUTF8_std());
		EXPECT_EQ(info.ObjectClassFile.toUTF8_std(), c.expected.ObjectClassFile.toUTF8_std());
		EXPECT_EQ(info.ClientScriptFile.toUTF8_std(), c.expected.ClientScriptFile.toUTF8_std());
	}
}

TEST(PackageReader, NoFileGivesAnEmptyDescription)
{
	SDevice device;
	const SPackageInfo info = CPackageReader(device.device).read(nullptr);
	EXPECT_TRUE(info.Name.empty());
	EXPECT_TRUE(CPackageReader(nullptr).read(nullptr).Name.empty());
}

} // namespace
