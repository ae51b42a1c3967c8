#include <functional>
#include <string>
#include <vector>

#include <angelscript.h>
#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "engine/CGameEventReceiver.h"
#include "frontend/CLoginEventReceiver.h"
#include "frontend/PackageList.h"
#include "script/CScriptModule.h"
#include "support/login_screen.h"
#include "text/CStringTable.h"
#include "world/CObjectClass.h"
#include "world/CObjectManager.h"

namespace {

using namespace orv;
using irr::core::recti;
using irr::gui::IGUIElement;
using test::LoginScreenTest;

typedef std::function<IGUIElement*(const SLoginScreen&)> Field;

#define FIELD(name) [](const SLoginScreen& s) -> IGUIElement* { return s.name; }

TEST_F(LoginScreenTest, ElementsStandWhereTheScreenPutsThemInTheCurrentLanguage)
{
	struct Case
	{
		const char* what;
		Field element;
		Field parent;
		recti rectangle;
		irr::s32 id;
		const char* text;
	};
	const Case cases[] = {
		{"package list label", FIELD(PackageListLabel), FIELD(TabOffline), {19, 26, 109, 46}, -1, "Pakete:"},
		{"package list", FIELD(PackageList), FIELD(TabOffline), {19, 46, 179, 446}, 101, ""},
		{"package name", FIELD(PackageName), FIELD(TabOffline), {229, 26, 689, 56}, -1, "Alpha"},
		{"package logo", FIELD(PackageLogo), FIELD(TabOffline), {219, 66, 679, 236}, -1, ""},
		{"package version", FIELD(PackageVersion), FIELD(TabOffline), {229, 46, 469, 66}, -1, "1.0"},
		{"package description", FIELD(PackageDescription), FIELD(TabOffline), {219, 246, 679, 406}, -1,
			"\xC3\x9C"
			"ber Alpha"},
		{"play", FIELD(PlayButton), FIELD(TabOffline), {579, 416, 679, 446}, 102, "Spielen"},
		{"nickname box", FIELD(NicknameBox), FIELD(TabOnline), {229, 66, 479, 96}, -1, ""},
		{"user name box", FIELD(UsernameBox), FIELD(TabOnline), {229, 136, 479, 166}, -1, ""},
		{"password box", FIELD(PasswordBox), FIELD(TabOnline), {229, 206, 479, 236}, -1, ""},
		{"nickname label", FIELD(NicknameLabel), FIELD(TabOnline), {229, 46, 479, 66}, -1, "Nickname"},
		{"user name label", FIELD(UsernameLabel), FIELD(TabOnline), {229, 116, 479, 136}, -1, "Username"},
		{"password label", FIELD(PasswordLabel), FIELD(TabOnline), {229, 186, 479, 206}, -1, "Password"},
		{"login", FIELD(LoginButton), FIELD(TabOnline), {299, 266, 399, 296}, 103, "Anmelden"},
		{"server host box", FIELD(ServerHostBox), FIELD(TabOnline), {149, 346, 329, 376}, -1, "localhost"},
		{"server port box", FIELD(ServerPortBox), FIELD(TabOnline), {369, 346, 549, 376}, -1, "21800"},
		{"server host label", FIELD(ServerHostLabel), FIELD(TabOnline), {149, 326, 329, 346}, -1, "Server Host"},
		{"server port label", FIELD(ServerPortLabel), FIELD(TabOnline), {369, 326, 549, 346}, -1, "Server Port"},
		{"language label", FIELD(LanguageLabel), FIELD(TabOptions), {25, 225, 175, 245}, -1, "Language"},
		{"language box", FIELD(LanguageBox), FIELD(TabOptions), {25, 250, 175, 270}, 104, "Deutsch"},
	};
	const SLoginScreen& s = screen();
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.what);
		IGUIElement* element = c.element(s);
		ASSERT_NE(element, nullptr);
		EXPECT_EQ(element->getParent(), c.parent(s));
		EXPECT_EQ(element->getRelativePosition(), c.rectangle);
		EXPECT_EQ(element->getID(), c.id);
		if (element->getType() != irr::gui::EGUIET_LIST_BOX)
		{
			EXPECT_EQ(text(element), c.text);
		}
		if (element->getType() == irr::gui::EGUIET_STATIC_TEXT)
		{
			auto* label = static_cast<irr::gui::IGUIStaticText*>(element);
			// Only the description may run longer than its line.
			EXPECT_EQ(label->isWordWrapEnabled(), element == s.PackageDescription);
			EXPECT_FALSE(label->isDrawBorderEnabled());
			EXPECT_FALSE(label->isDrawBackgroundEnabled());
		}
		if (element->getType() == irr::gui::EGUIET_EDIT_BOX)
		{
			auto* box = static_cast<irr::gui::IGUIEditBox*>(element);
			EXPECT_EQ(box->getMax(), 255u);
			EXPECT_FALSE(box->isPasswordBox());
		}
	}
	EXPECT_EQ(s.LanguageBox->getSelected(), 0);
}

TEST_F(LoginScreenTest, WindowTabsListsAndTabOrder)
{
	const SLoginScreen& s = screen();
	ASSERT_NE(s.Window, nullptr);
	EXPECT_EQ(s.Window->getParent(), root());
	EXPECT_EQ(s.Window->getRelativePosition(), recti(30, 30, 770, 570));
	EXPECT_EQ(text(s.Window), "");
	EXPECT_FALSE(s.Window->getCloseButton()->isVisible());
	EXPECT_FALSE(s.Window->isDraggable());

	auto* tabs = static_cast<irr::gui::IGUITabControl*>(s.TabOffline->getParent());
	EXPECT_EQ(tabs->getParent(), s.Window);
	EXPECT_EQ(tabs->getRelativePosition(), recti(10, 30, 730, 530));
	EXPECT_EQ(tabs->getTabHeight(), 32);
	EXPECT_EQ(tabs->getActiveTab(), 0);
	ASSERT_EQ(tabs->getTabCount(), 3);
	EXPECT_EQ(tabs->getTab(0), s.TabOffline);
	EXPECT_EQ(tabs->getTab(1), s.TabOnline);
	EXPECT_EQ(tabs->getTab(2), s.TabOptions);
	EXPECT_EQ(text(s.TabOffline), "Offline");
	EXPECT_EQ(text(s.TabOnline), "Online");
	EXPECT_EQ(text(s.TabOptions), "Options");

	auto* nickname = static_cast<irr::gui::IGUIStaticText*>(s.NicknameLabel);
	EXPECT_TRUE(nickname->isOverrideColorEnabled());
	EXPECT_EQ(nickname->getOverrideColor(), irr::video::SColor(128, 0, 0, 255));
	EXPECT_TRUE(s.LoginButton->getToolTipText().empty());

	std::vector<std::string> packages;
	for (irr::u32 i = 0; i < s.PackageList->getItemCount(); ++i)
		packages.push_back(irr::core::ustring16(s.PackageList->getListItem(i)).toUTF8_std());
	EXPECT_EQ(packages, (std::vector<std::string>{"Alpha", "", "Beta", "Gamma"}));
	EXPECT_EQ(s.PackageList->getSelected(), 0);
	ASSERT_EQ(s.LanguageBox->getItemCount(), 2u);
	EXPECT_EQ(irr::core::ustring16(s.LanguageBox->getItem(0)).toUTF8_std(), "Deutsch");
	EXPECT_EQ(irr::core::ustring16(s.LanguageBox->getItem(1)).toUTF8_std(), "English");

	// The Tab key walks each tab's fields as they were made.
	const std::vector<std::vector<const IGUIElement*>> tabOrders = {{s.PackageList, s.PlayButton},
		{s.NicknameBox, s.UsernameBox, s.PasswordBox, s.LoginButton, s.ServerHostBox, s.ServerPortBox}};
	for (const auto& order : tabOrders)
		for (size_t i = 0; i < order.size(); ++i)
		{
			EXPECT_TRUE(order[i]->isTabStop()) << i;
			EXPECT_EQ(order[i]->getTabOrder(), static_cast<irr::s32>(i)) << i;
		}
}

TEST_F(LoginScreenTest, EachPackageShowsItsOwnLogoAgainWhenChosenAgain)
{
	const SLoginScreen& s = screen();
	irr::video::IVideoDriver* driver = device()->getVideoDriver();
	ASSERT_NE(s.PackageLogo->getImage(), nullptr);
	const irr::u32 textures = driver->getTextureCount();
	struct Case
	{
		irr::s32 item;
		const char* name;
		const char* version;
		const char* archive;
	};
	const Case cases[] = {{2, "Beta", "2.0", "beta.zip"}, {3, "Gamma", "3.0", "gamma.zip"},
		{0, "Alpha", "1.0", "Alpha"}, {2, "Beta", "2.0", "beta.zip"}};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		select(s.PackageList, c.item);
		EXPECT_EQ(text(s.PackageName), c.name);
		EXPECT_EQ(text(s.PackageVersion), c.version);
		irr::video::ITexture* logo = s.PackageLogo->getImage();
		ASSERT_NE(logo, nullptr);
		const std::string name = logo->getName().getPath().c_str();
		EXPECT_NE(name.find(std::string("/") + c.archive + "/"), std::string::npos) << name;
		// The logo shown before left the driver.
		EXPECT_EQ(driver->getTextureCount(), textures);
	}
	// A package without a logo shows none, and its logo leaves the driver.
	select(s.PackageList, 1);
	EXPECT_EQ(s.PackageLogo->getImage(), nullptr);
	EXPECT_EQ(driver->getTextureCount(), textures - 1);
	EXPECT_EQ(text(s.PackageName), "");
}

TEST_F(LoginScreenTest, ChoosingALanguageKeepsItAndRetranslatesWhenItHasATable)
{
	const SLoginScreen& s = screen();
	s.LanguageBox->addItem(L"Klingon", 0);
	struct Case
	{
		irr::s32 item;
		const char* setting;
		const char* active;
		const char* play;
		const char* tip;
	};
	const Case cases[] = {
		{1, "English", "English", "Play", "Click to Login"},
		{2, "Klingon", "English", "Play", "Click to Login"},
		{0, "Deutsch", "Deutsch", "Spielen", "Zum Anmelden klicken"},
		{2, "Klingon", "Deutsch", "Spielen", "Zum Anmelden klicken"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.setting);
		select(s.LanguageBox, c.item);
		EXPECT_EQ(engine().getSettings().getSection("Language")->get("language").toUTF8_std(), c.setting);
		ASSERT_NE(irr::stringtable::CStringTable::getActiveTable(), nullptr);
		EXPECT_EQ(irr::stringtable::CStringTable::getActiveTable()->getLanguageName().toUTF8_std(), c.active);
		EXPECT_EQ(text(s.PlayButton), c.play);
		EXPECT_EQ(irr::core::ustring16(s.LoginButton->getToolTipText()).toUTF8_std(), c.tip);
		// The tabs keep the language they were made in.
		EXPECT_EQ(text(s.TabOptions), "Options");
	}
}

TEST_F(LoginScreenTest, PlayStartsTheChosenPackageOffline)
{
	const SLoginScreen& s = screen();
	select(s.PackageList, 0);
	irr::io::IFileArchive* archive = getPackageList().front().Archive;
	ASSERT_NE(archive, nullptr);
	const irr::s32 heldByTheList = archive->getReferenceCount();
	click(s.PlayButton);
	// The mount holds a reference of its own: the list may let go of the
	// package while the file system still reads from it.
	EXPECT_EQ(archive->getReferenceCount(), heldByTheList + 1);

	EXPECT_TRUE(root()->getChildren().empty());
	EXPECT_EQ(device()->getEventReceiver(), engine().getPlayReceiver());
	EXPECT_FALSE(engine().isOnline());
	EXPECT_TRUE(engine().isGameRunning());
	EXPECT_TRUE(device()->getFileSystem()->existFile("client.as"));

	CObjectClass* rock = CObjectManager::getInstance()->findObjectClass("rock");
	ASSERT_NE(rock, nullptr);
	ASSERT_NE(rock->getAttributes().findByName("weight"), nullptr);
	EXPECT_EQ(rock->getAttributes().findByName("weight")->getFloat(), 2.5f);

	AngelScript::asIScriptModule* client = engine().getClientModule()->getEngineModule();
	ASSERT_NE(client, nullptr);
	const int index = client->GetGlobalVarIndexByName("created");
	ASSERT_GE(index, 0);
	EXPECT_EQ(*static_cast<int*>(client->GetAddressOfGlobalVar(index)), 1);

	// The game's frames run; the screen stays gone.
	EXPECT_TRUE(engine().update());
	engine().render();
	EXPECT_TRUE(root()->getChildren().empty());
}

TEST_F(LoginScreenTest, NoPackagesNoSelection)
{
	sandbox.reset();
	test::SandboxFiles files = test::loginScreenFiles();
	for (auto it = files.begin(); it != files.end();)
		it = it->first.rfind("package/", 0) == 0 ? files.erase(it) : std::next(it);
	sandbox.reset(new test::CEngineSandbox(files));
	ASSERT_TRUE(sandbox->started());
	const SLoginScreen& s = screen();
	EXPECT_EQ(s.PackageList->getItemCount(), 0u);
	EXPECT_EQ(s.PackageList->getSelected(), -1);
	EXPECT_EQ(text(s.PackageName), "");
	EXPECT_EQ(s.PackageLogo->getImage(), nullptr);
	// Play without a package does nothing.
	click(s.PlayButton);
	EXPECT_FALSE(engine().isGameRunning());
	EXPECT_FALSE(root()->getChildren().empty());
}

} // namespace
