#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine/CGameEngine.h"
#include "support/engine_fixture.h"
#include "text/CGUIFreetypeFont.h"
#include "text/CStringTable.h"

using irr::stringtable::CStringTable;
using orv::test::CEngineSandbox;
using orv::test::SandboxFiles;

namespace {

std::string fontBytes()
{
	std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string table(const char* language, const char* loginText)
{
	return std::string("<irr_stringtable><language value=\"") + language + "\"/><entry id=\"Login\">" + loginText +
		"</entry></irr_stringtable>";
}

} // namespace

TEST(EngineText, SkinDrawsWithTheConfiguredFontOrKeepsTheBuiltInOne)
{
	const std::string font = fontBytes();
	ASSERT_FALSE(font.empty());
	struct Case
	{
		const char* name;
		SandboxFiles files;
		irr::u32 pixelSize; // 0: no font
	};
	const Case cases[] = {
		{"default file at the default size", {{"fonts/code2001.ttf", font}}, 14},
		{"own file and size",
			{{"fonts/Sans.ttf", font}, {"settings.ini", "[Font]\ndefault = Sans.ttf\ndefault_size = 22\n"}}, 22},
		{"file missing", {}, 0},
		{"size 0", {{"fonts/code2001.ttf", font}, {"settings.ini", "[Font]\ndefault_size = 0\n"}}, 0},
		{"negative size", {{"fonts/code2001.ttf", font}, {"settings.ini", "[Font]\ndefault_size = -14\n"}}, 0},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CEngineSandbox sandbox(c.files);
		ASSERT_TRUE(sandbox.started());
		irr::gui::IGUIEnvironment* gui = sandbox.engine()->getDevice()->getGUIEnvironment();
		irr::gui::CGUIFreetypeFont* engineFont = sandbox.engine()->getFont();
		if (c.pixelSize == 0)
		{
			EXPECT_EQ(engineFont, nullptr);
			EXPECT_EQ(gui->getSkin()->getFont(), gui->getBuiltInFont());
			continue;
		}
		ASSERT_NE(engineFont, nullptr);
		EXPECT_EQ(engineFont->getPixelSize(), c.pixelSize);
		EXPECT_EQ(gui->getSkin()->getFont(), engineFont);
	}
}

TEST(EngineText, TablesLoadAndTheConfiguredLanguageBecomesCurrent)
{
	const SandboxFiles tables = {
		{"translations/de.irrst", table("Deutsch", "Anmelden")},
		{"translations/en.irrst", table("English", "Log in")},
	};
	struct Case
	{
		const char* name;
		const char* settings; // null: none
		bool withTables;
		const char* current; // null: no current table
		const char* login;
	};
	const Case cases[] = {
		{"default language", nullptr, true, "English", "Log in"},
		{"chosen language", "[Language]\nlanguage = Deutsch\n", true, "Deutsch", "Anmelden"},
		{"language without a table", "[Language]\nlanguage = Klingon\n", true, nullptr, "Login"},
		{"no translations", nullptr, false, nullptr, "Login"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		SandboxFiles files = c.withTables ? tables : SandboxFiles();
		if (c.settings)
			files["settings.ini"] = c.settings;
		CEngineSandbox sandbox(files);
		ASSERT_TRUE(sandbox.started());
		EXPECT_EQ(sandbox.engine()->getStringTables().size(), c.withTables ? 2u : 0u);
		CStringTable* current = CStringTable::getActiveTable();
		if (c.current)
		{
			ASSERT_NE(current, nullptr);
			EXPECT_EQ(current->getLanguageName().toUTF8_std(), c.current);
		}
		else
		{
			EXPECT_EQ(current, nullptr);
		}
		EXPECT_EQ(CStringTable::translate("Login").getText().toUTF8_std(), c.login);

		sandbox.tearDown();
		EXPECT_EQ(CStringTable::getActiveTable(), nullptr);
		EXPECT_EQ(CStringTable::translate("Login").getText().toUTF8_std(), "Login");
	}
}
