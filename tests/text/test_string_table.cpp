#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "base/Log.h"
#include "support/CRecordingLogger.h"
#include "support/engine_fixture.h"
#include "text/CStringTable.h"

using irr::core::ustring16;
using irr::stringtable::CStringTable;
using irr::stringtable::CTranslationFormatter;
using irr::stringtable::StringTableMap;

namespace {

// One folder of string tables exercising every rule of the format and of the
// folder walk. Irrlicht lists a folder sorted by name, so "a_" comes first.
const char* const RICH_GERMAN = R"(<?xml version="1.0" encoding="UTF-8"?>
<irr_stringtable>
	<language value="Deutsch"/>
	<entry id="Login">Anmelden</entry>
	<s id="Cancel">Abbrechen</s>
	<entry>
		<id>Options</id>
		<translation>Optionen</translation>
	</entry>
	<entry id="Login">Einloggen</entry>
	<entry id="">leer</entry>
	<entry>keine Kennung</entry>
	<entry id="Amp">Salz &amp; Pfeffer</entry>
	<entry id="Welcome">Hallo {{%name}}!</entry>
	<entry id="Empty"></entry>
</irr_stringtable>
<entry id="After">danach</entry>
)";

const orv::test::SandboxFiles TABLE_FILES = {
	{"translations/a_deutsch_alt.irrst",
		"<irr_stringtable><language value=\"Deutsch\"/><entry id=\"Login\">Alt</entry>"
		"<entry id=\"Extra\">x</entry></irr_stringtable>"},
	{"translations/b_deutsch.irrst", RICH_GERMAN},
	{"translations/english.irrst",
		"<irr_stringtable><language value=\"English\"/><entry id=\"Smile\">\xF0\x9F\x98\x80</entry></irr_stringtable>"},
	{"translations/nolanguage.irrst", "<irr_stringtable><entry id=\"Login\">Login!</entry></irr_stringtable>"},
	{"translations/two.dots.irrst", "<irr_stringtable><language value=\"Dots\"/></irr_stringtable>"},
	{"translations/truncated.irrst",
		"<irr_stringtable><language value=\"Cut\"/><entry id=\"One\">Eins</entry><entry id=\"Two\">Zwei</entry><entry id=\"Thr"},
	{"translations/capital.IRRST", "<irr_stringtable><language value=\"Capital\"/></irr_stringtable>"},
	{"translations/backup.irrst.bak", "<irr_stringtable><language value=\"Backup\"/></irr_stringtable>"},
	{"translations/irrst", "<irr_stringtable><language value=\"NoDot\"/></irr_stringtable>"},
	{"translations/folder.irrst/inside.irrst", "<irr_stringtable><language value=\"Inside\"/></irr_stringtable>"},
	{"translations/0_not_xml.irrst", std::string("\x00\x01 plain bytes", 14)},
};

// A null device for its file system, over a folder of string tables.
class StringTableTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		for (const auto& file : TABLE_FILES)
			folder.write(file.first, file.second);
		device = irr::createDevice(irr::video::EDT_NULL);
		ASSERT_NE(device, nullptr);
		fileSystem = device->getFileSystem();
		orv::setLogger(&logger);
	}
	void TearDown() override
	{
		orv::setLogger(nullptr);
		CStringTable::clearTables(tables);
		if (device)
			device->drop();
	}

	irr::u32 loadFixture()
	{
		return CStringTable::loadDirectory(tables, (folder.path() + "translations").c_str(), fileSystem);
	}

	std::string translated(const char* id) { return CStringTable::translate(id).getText().toUTF8_std(); }

	orv::test::CTempFolder folder;
	irr::IrrlichtDevice* device = nullptr;
	irr::io::IFileSystem* fileSystem = nullptr;
	orv::test::CRecordingLogger logger;
	StringTableMap tables;
};

std::vector<std::string> languagesOf(const StringTableMap& tables)
{
	std::vector<std::string> names;
	for (const auto& entry : tables)
		names.push_back(entry.first.toUTF8_std());
	return names;
}

} // namespace

TEST_F(StringTableTest, FolderLoadsEveryIrrstFileOneTableALanguage)
{
	const irr::io::path before = fileSystem->getWorkingDirectory();
	// Seven files end in ".irrst" exactly; both German and both default ones count.
	EXPECT_EQ(loadFixture(), 7u);
	EXPECT_EQ(fileSystem->getWorkingDirectory(), before);
	// Code unit order: capitals before small letters.
	EXPECT_EQ(languagesOf(tables), (std::vector<std::string>{"Cut", "Deutsch", "Dots", "English", "default"}));
	for (const auto& entry : tables)
		EXPECT_EQ(entry.second->getLanguageName(), entry.first);
}

TEST_F(StringTableTest, EntriesReadAsTheFileHasThem)
{
	loadFixture();
	struct Case
	{
		const char* language;
		const char* id;
		const char* expected; // null: no entry
	};
	const Case cases[] = {
		{"Deutsch", "Login", "Einloggen"},          // the later of two entries
		{"Deutsch", "Cancel", "Abbrechen"},         // <s> is <entry>
		{"Deutsch", "Options", "Optionen"},         // long form
		{"Deutsch", "Amp", "Salz & Pfeffer"},       // entities decoded
		{"Deutsch", "Welcome", "Hallo {{%name}}!"}, // placeholders verbatim
		{"Deutsch", "Empty", ""},                   // no text, still an entry
		{"Deutsch", "", nullptr},                   // empty id dropped
		{"Deutsch", "After", nullptr},              // after the end tag
		{"Deutsch", "Extra", nullptr},              // the earlier German file is gone
		{"default", "Login", "Login!"},             // no language element
		{"Cut", "One", "Eins"},                     // a file cut short reads to its end
		{"Cut", "Two", "Zwei"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(std::string(c.language) + " / " + c.id);
		const CStringTable* table = CStringTable::findTable(tables, c.language);
		ASSERT_NE(table, nullptr);
		const ustring16* text = table->findEntry(c.id);
		if (!c.expected)
		{
			EXPECT_EQ(text, nullptr);
			continue;
		}
		ASSERT_NE(text, nullptr);
		EXPECT_EQ(text->toUTF8_std(), c.expected);
	}
	EXPECT_EQ(CStringTable::findTable(tables, "Deutsch")->getEntryCount(), 6u);
	EXPECT_EQ(CStringTable::findTable(tables, "Cut")->getEntryCount(), 2u);

	bool cutLogged = false;
	for (const auto& line : logger.lines)
		cutLogged |= line.hint.find("truncated.irrst") != std::string::npos && line.level == irr::ELL_WARNING;
	EXPECT_TRUE(cutLogged);
}

TEST_F(StringTableTest, FolderThatCannotBeEnteredLoadsNothing)
{
	folder.write("stray.irrst", "<irr_stringtable><language value=\"Stray\"/></irr_stringtable>");
	ASSERT_TRUE(fileSystem->changeWorkingDirectoryTo(folder.path().c_str()));
	EXPECT_EQ(CStringTable::loadDirectory(tables, "no such folder", fileSystem), 0u);
	EXPECT_TRUE(tables.empty());
}

TEST_F(StringTableTest, TranslateUsesTheCurrentTableOrGivesTheId)
{
	loadFixture();
	ASSERT_EQ(CStringTable::getActiveTable(), nullptr);
	EXPECT_EQ(translated("Login"), "Login");

	ASSERT_TRUE(CStringTable::setActiveLanguage(tables, "Deutsch"));
	EXPECT_EQ(translated("Login"), "Einloggen");
	EXPECT_EQ(translated("Welcome"), "Hallo {{%name}}!");
	EXPECT_EQ(translated("Not there"), "Not there");
	EXPECT_EQ(translated("login"), "login");

	// A language without a table changes nothing.
	EXPECT_FALSE(CStringTable::setActiveLanguage(tables, "Klingon"));
	EXPECT_EQ(CStringTable::getActiveTable(), CStringTable::findTable(tables, "Deutsch"));

	CStringTable::clearTables(tables);
	EXPECT_TRUE(tables.empty());
	EXPECT_EQ(CStringTable::getActiveTable(), nullptr);
	EXPECT_EQ(translated("Login"), "Login");
}

TEST_F(StringTableTest, FormatterHandsOutCodePointsInAReusedRing)
{
	loadFixture();
	ASSERT_TRUE(CStringTable::setActiveLanguage(tables, "English"));
	const wchar_t* smile = CStringTable::translate("Smile").c_str();
	(void)smile; // valid only within the statement above
	EXPECT_EQ(std::wstring(CStringTable::translate("Smile").c_str()), std::wstring(1, wchar_t(0x1F600)));

	CTranslationFormatter formatter(ustring16("Text"));
	EXPECT_EQ(formatter.getPlaceholderOpener().toUTF8_std(), "{{%");
	EXPECT_EQ(formatter.getPlaceholderCloser().toUTF8_std(), "}}");
	std::vector<const wchar_t*> pointers;
	for (irr::u32 i = 0; i <= CTranslationFormatter::RING_SIZE; ++i)
		pointers.push_back(formatter.c_str());
	for (irr::u32 i = 1; i < CTranslationFormatter::RING_SIZE; ++i)
		EXPECT_NE(pointers[0], pointers[i]);
	EXPECT_EQ(pointers[0], pointers[CTranslationFormatter::RING_SIZE]);
	EXPECT_EQ(std::wstring(pointers[3]), L"Text");
}

TEST(StringTableRegistry, RegisteringKeepsOneTableALanguageInCodeUnitOrder)
{
	StringTableMap tables;
	struct Case
	{
		const char* language;
		bool added;
	};
	const Case cases[] = {
		{"Español", true},
		{"English", true},
		{"Eng", true},
		{"deutsch", true},
		{"English", false},
	};
	CStringTable* lastEnglish = nullptr;
	for (const Case& c : cases)
	{
		CStringTable* table = new CStringTable();
		table->setLanguageName(c.language);
		if (c.language == std::string("English"))
			lastEnglish = table;
		EXPECT_EQ(CStringTable::registerTable(tables, table), c.added) << c.language;
	}
	EXPECT_FALSE(CStringTable::registerTable(tables, nullptr));
	EXPECT_EQ(languagesOf(tables), (std::vector<std::string>{"Eng", "English", "Español", "deutsch"}));
	EXPECT_EQ(CStringTable::findTable(tables, "English"), lastEnglish);

	// Replacing the current table moves the current choice to its successor.
	ASSERT_TRUE(CStringTable::setActiveLanguage(tables, "English"));
	CStringTable* replacement = new CStringTable();
	replacement->setLanguageName("English");
	replacement->setEntry("Yes", "Yes!");
	EXPECT_FALSE(CStringTable::registerTable(tables, replacement));
	EXPECT_EQ(CStringTable::getActiveTable(), replacement);
	EXPECT_EQ(CStringTable::translate("Yes").getText().toUTF8_std(), "Yes!");
	CStringTable::clearTables(tables);
	EXPECT_EQ(CStringTable::getActiveTable(), nullptr);
}
