#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "frontend/CClassDefinitionReader.h"
#include "frontend/PackageList.h"
#include "scene/CAnimation.h"
#include "scene/CImage.h"
#include "script/CScriptModule.h"
#include "script/ScriptCallbacks.h"
#include "support/engine_fixture.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"

namespace {

using namespace orv;
namespace fs = std::filesystem;

bool readFile(const fs::path& path, std::string& bytes)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream text;
	text << in.rdbuf();
	bytes = text.str();
	return bool(in);
}

// The package folder as the repository bundles it.
test::SandboxFiles bundledPackages()
{
	test::SandboxFiles files;
	const fs::path content = fs::path(ORV_SOURCE_DIR) / "content";
	for (const auto& entry : fs::recursive_directory_iterator(content / "package"))
	{
		if (!entry.is_regular_file())
			continue;
		readFile(entry.path(), files[fs::relative(entry.path(), content).string()]);
	}
	return files;
}

TEST(SamplePackage, DescribesItselfAndItsClassesPicturesAndAnimationsLoad)
{
	test::CEngineSandbox sandbox(bundledPackages());
	ASSERT_TRUE(sandbox.started());
	CGameEngine& engine = *sandbox.engine();
	irr::IrrlichtDevice* device = engine.getDevice();

	loadPackageList(device, nullptr, engine.getProgramDirectory());
	const SPackageListEntry* sample = findPackage("Sample");
	ASSERT_NE(sample, nullptr);
	EXPECT_EQ(sample->Info.Version.toUTF8_std(), "1.0");
	EXPECT_FALSE(sample->Info.Description.empty());
	// Mounted as Play mounts it: the file system drops a reference of its own.
	sample->Archive->grab();
	ASSERT_TRUE(device->getFileSystem()->addFileArchive(sample->Archive));

	for (const irr::core::ustring16& file :
		{sample->Info.LogoFile, sample->Info.ObjectClassFile, sample->Info.ClientScriptFile})
	{
		SCOPED_TRACE(file.toUTF8_std());
		EXPECT_TRUE(device->getFileSystem()->existFile(file.toUTF8_s()));
	}

	CClassDefinitionReader(device, engine.getScriptManager()).read(sample->Info.ObjectClassFile.toUTF8_s());
	CObjectManager* objects = CObjectManager::getInstance();
	for (const char* name : {"map", "crate", "hero"})
		EXPECT_NE(objects->findObjectClass(name), nullptr) << name;
	CObjectClass* hero = objects->findObjectClass("hero");
	ASSERT_NE(hero, nullptr);
	EXPECT_NE(hero->getAttributes().findByName("speed"), nullptr);
	// Sprites draw the picture their class names under the picture's name.
	ASSERT_NE(hero->getAttributes().findByName("hero.png"), nullptr);
	EXPECT_EQ(hero->getAttributes().findByName("hero.png")->getString().toUTF8_std(), "hero.png");
	EXPECT_NE(hero->getAttributes().findByName("jump"), nullptr);

	// The level gives the hero object hero.as: it builds, with every callback the hero lives by.
	std::string heroScript;
	ASSERT_TRUE(readFile(fs::path(ORV_SOURCE_DIR) / "content/package/Sample/hero.as", heroScript));
	script::CScriptModule* module = new script::CScriptModule(
		"hero test", engine.getScriptManager(), script::ESMK_OBJECT);
	module->load(irr::core::ustring16(heroScript.c_str()), "hero.as");
	module->resolveCallbacks();
	for (irr::u32 callback :
		{script::ESC_CREATED, script::ESC_UPDATE, script::ESC_SOLVE_CONTACT, script::ESC_END_CONTACT})
		EXPECT_GE(module->getCallbackId(callback), 0) << "hero.as lacks callback " << callback;
	module->drop();

	for (const char* picture : {"logo.png", "tiles.png", "crate.png", "hero.png"})
	{
		CImage* image = engine.findImage(picture);
		ASSERT_NE(image, nullptr) << picture;
		EXPECT_GT(image->getSize().Width, 0u) << picture;
	}
	struct Case
	{
		const char* animation;
		size_t frames;
	};
	const Case animations[] = {{"hero_idle.gani", 1}, {"hero_walk.gani", 2}};
	for (const Case& c : animations)
	{
		CAnimation* animation = engine.getAnimation(c.animation);
		ASSERT_NE(animation, nullptr) << c.animation;
		EXPECT_EQ(animation->getFrames().size(), c.frames) << c.animation;
	}
	clearPackageList();
}

} // namespace
