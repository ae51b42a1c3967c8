// Folder packages and the run folder are mounted by the client's own folder
// archive: a link that loops, or leads out of the mounted folder, is not
// followed, so the client starts, lists every package, and a package's files
// are the ones inside it.

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "frontend/CFolderArchive.h"
#include "frontend/PackageList.h"
#include "support/engine_fixture.h"

namespace {

using namespace orv;

std::string description(const std::string& name)
{
	return "<orvpackage version=\"1\"><package name=\"" + name + "\" version=\"1.0\"></package></orvpackage>";
}

std::vector<std::string> listedNames()
{
	std::vector<std::string> names;
	for (const SPackageListEntry& entry : getPackageList())
		names.push_back(entry.Info.Name.toUTF8_std());
	return names;
}

std::string readAll(irr::io::IFileArchive* archive, const char* name)
{
	irr::io::IReadFile* file = archive->createAndOpenFile(name);
	if (!file)
		return "(none)";
	std::string bytes(static_cast<size_t>(file->getSize()), '\0');
	file->read(&bytes[0], static_cast<irr::u32>(bytes.size()));
	file->drop();
	return bytes;
}

TEST(FolderPackages, LinksThatLoopOrLeadOutLetTheClientStartAndListEveryPackage)
{
	test::CTempFolder outside;
	outside.write("secret.txt", "not the package's");
	outside.write("package.xml", description("Elsewhere"));
	const test::SandboxFiles files = {
		{"package/Alpha/package.xml", description("Alpha")},
		{"package/Loop/package.xml", description("Loop")},
		{"package/Loop/pictures/tree.png", "tree"},
		{"package/Zeta/package.xml", description("Zeta")},
	};
	const std::map<std::string, std::string> links = {
		{"loop", "."},
		{"images/downloads/up", "../.."},
		{"images/downloads/away", outside.path()},
		{"package/Loop/loop", "."},
		{"package/Loop/pictures/up", ".."},
		{"package/Loop/away", outside.path()},
		{"package/Loop/secret.txt", outside.path() + "secret.txt"},
		{"package/Loop/pictures/tree-again.png", "tree.png"},
	};
	test::CEngineSandbox sandbox(files, test::SSandboxLinks{links});
	ASSERT_TRUE(sandbox.started());

	EXPECT_EQ(listedNames(), (std::vector<std::string>{"Alpha", "Loop", "Zeta"}));
	const SPackageListEntry* loop = findPackage("Loop");
	ASSERT_NE(loop, nullptr);
	EXPECT_EQ(readAll(loop->Archive, "TREE.png"), "tree");
	EXPECT_EQ(readAll(loop->Archive, "tree-again.png"), "tree");
	EXPECT_EQ(readAll(loop->Archive, "secret.txt"), "(none)");
}

class FolderArchiveTest : public ::testing::Test
{
protected:
	void TearDown() override { device->drop(); }

	irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
	test::CTempFolder folder;
};

TEST_F(FolderArchiveTest, FindsFilesByNameAloneInAnyCase)
{
	folder.write("Pack/Levels/Town.XML", "town");
	folder.write("Pack/sounds/step.ogg", "step");
	folder.write("Pack/readme", "");
	irr::io::IFileArchive* archive = CFolderArchive::open(device->getFileSystem(), (folder.path() + "Pack").c_str());
	ASSERT_NE(archive, nullptr);
	struct Case
	{
		const char* asked;
		const char* expected;
	};
	const Case cases[] = {
		{"town.xml", "town"},
		{"levels/town.xml", "town"},
		{"elsewhere\\TOWN.xml", "town"},
		{"step.ogg", "step"},
		{"readme", ""},
		{"levels", "(none)"},
		{"Pack", "(none)"},
		{"missing.txt", "(none)"},
	};
	for (const Case& c : cases)
		EXPECT_EQ(readAll(archive, c.asked), c.expected) << c.asked;
	EXPECT_EQ(archive->getType(), irr::io::EFAT_FOLDER);
	EXPECT_EQ(archive->getFileList()->getPath(), irr::io::path((folder.path() + "Pack/").c_str()));
	archive->drop();

	EXPECT_EQ(CFolderArchive::open(device->getFileSystem(), (folder.path() + "Pack/readme").c_str()), nullptr);
	EXPECT_EQ(CFolderArchive::open(device->getFileSystem(), (folder.path() + "missing").c_str()), nullptr);
}

TEST_F(FolderArchiveTest, AMountedFolderOpensItsOwnFilesNotTheNamesakesOfOtherArchives)
{
	folder.write("First/same.txt", "first");
	folder.write("Second/same.txt", "second");
	irr::io::IFileSystem* fileSystem = device->getFileSystem();
	irr::io::IFileArchive* first = CFolderArchive::open(fileSystem, (folder.path() + "First").c_str());
	irr::io::IFileArchive* second = CFolderArchive::open(fileSystem, (folder.path() + "Second").c_str());
	ASSERT_TRUE(first && second);
	ASSERT_TRUE(fileSystem->addFileArchive(first));
	EXPECT_EQ(readAll(second, "same.txt"), "second");
	irr::io::IReadFile* found = fileSystem->createAndOpenFile("SAME.TXT");
	ASSERT_NE(found, nullptr);
	EXPECT_EQ(found->getSize(), 5);
	found->drop();
	second->drop();
}

} // namespace
