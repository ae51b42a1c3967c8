#include <string>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "frontend/PackageList.h"
#include "support/TestPictures.h"
#include "support/TestZip.h"
#include "support/engine_fixture.h"

namespace {

using namespace orv;

std::string description(const std::string& name)
{
	return "<orvpackage version=\"1\"><package name=\"" + name +
		"\" version=\"1.0\"><logo file=\"logo.tga\"/>"
		"</package></orvpackage>";
}

// A package folder of every kind of entry: a folder package, two zip
// packages, a folder without a description, a hidden folder, a file that is
// no archive.
class PackageListTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		folder.write("package/Alpha/package.xml", description("Alpha"));
		folder.write("package/Alpha/pictures/LOGO.tga", test::solidTga(2, 2, {255, 0, 0}, {255, 0, 0}));
		folder.write("package/beta.zip",
			test::makeZip(
				{{"package.xml", description("Beta")}, {"logo.tga", test::solidTga(2, 2, {0, 255, 0}, {0, 255, 0})}}));
		folder.write("package/gamma.zip", test::makeZip({{"data/package.xml", description("Alpha")}}));
		folder.write("package/NoDescription/readme.txt", "nothing to see");
		folder.write("package/.hidden/package.xml", description("Hidden"));
		folder.write("package/notes.txt", "not an archive");
		listBox = device->getGUIEnvironment()->addListBox(irr::core::recti(0, 0, 100, 100));
	}

	void TearDown() override
	{
		clearPackageList();
		device->drop();
	}

	irr::core::stringw programDirectory() const { return irr::core::stringw(folder.path().c_str()); }

	std::vector<std::string> items() const
	{
		std::vector<std::string> names;
		for (irr::u32 i = 0; i < listBox->getItemCount(); ++i)
			names.push_back(irr::core::ustring16(listBox->getListItem(i)).toUTF8_std());
		return names;
	}

	test::CTempFolder folder;
	irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
	irr::gui::IGUIListBox* listBox = nullptr;
};

TEST_F(PackageListTest, ListsEveryPackageThatMountsInFolderOrder)
{
	const irr::io::path before = device->getFileSystem()->getWorkingDirectory();
	loadPackageList(device, listBox, programDirectory());
	EXPECT_EQ(device->getFileSystem()->getWorkingDirectory(), before);

	struct Case
	{
		const char* archive;
		bool isFolder;
		const char* name;
	};
	// Folders first, then files, each sorted without regard to case.
	const Case expected[] = {
		{"Alpha", true, "Alpha"},
		{"NoDescription", true, ""},
		{"beta.zip", false, "Beta"},
		{"gamma.zip", false, "Alpha"},
	};
	ASSERT_EQ(getPackageList().size(), std::size(expected));
	auto entry = getPackageList().begin();
	for (const Case& c : expected)
	{
		SCOPED_TRACE(c.archive);
		EXPECT_EQ(irr::core::ustring16(entry->ArchiveName).toUTF8_std(), c.archive);
		EXPECT_EQ(entry->IsFolder, c.isFolder);
		EXPECT_EQ(entry->Info.Name.toUTF8_std(), c.name);
		ASSERT_NE(entry->Archive, nullptr);
		++entry;
	}
	EXPECT_EQ(items(), (std::vector<std::string>{"Alpha", "", "Beta", "Alpha"}));
	// Packages are not mounted: their files are found only through their archives.
	EXPECT_FALSE(device->getFileSystem()->existFile("logo.tga"));
	EXPECT_EQ(device->getFileSystem()->getFileArchiveCount(), 0u);
}

TEST_F(PackageListTest, FindsTheFirstOfANameAndItsFilesInAnyCaseAndFolder)
{
	loadPackageList(device, listBox, programDirectory());
	const SPackageListEntry* alpha = findPackage("Alpha");
	ASSERT_NE(alpha, nullptr);
	EXPECT_EQ(irr::core::ustring16(alpha->ArchiveName).toUTF8_std(), "Alpha");
	EXPECT_EQ(findPackage("Hidden"), nullptr);
	EXPECT_EQ(findPackage("alpha"), nullptr);
	for (const char* name : {"Alpha", "Beta"})
	{
		SCOPED_TRACE(name);
		irr::io::IReadFile* logo = findPackage(name)->Archive->createAndOpenFile("Logo.TGA");
		ASSERT_NE(logo, nullptr);
		EXPECT_GT(logo->getSize(), 0);
		logo->drop();
	}
}

TEST_F(PackageListTest, AScanStartsAfreshAndAMissingFolderListsNothing)
{
	loadPackageList(device, listBox, programDirectory());
	loadPackageList(device, listBox, programDirectory());
	EXPECT_EQ(getPackageList().size(), 4u);
	EXPECT_EQ(listBox->getItemCount(), 4u);

	const irr::io::path before = device->getFileSystem()->getWorkingDirectory();
	test::CTempFolder empty;
	loadPackageList(device, listBox, irr::core::stringw(empty.path().c_str()));
	EXPECT_TRUE(getPackageList().empty());
	EXPECT_EQ(listBox->getItemCount(), 0u);
	EXPECT_EQ(device->getFileSystem()->getWorkingDirectory(), before);
}

} // namespace
