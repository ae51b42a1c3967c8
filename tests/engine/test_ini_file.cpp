#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine/CFileBuffer.h"
#include "engine/CIniFile.h"
#include "support/engine_fixture.h"

using irr::core::ustring16;
using orv::CFileBuffer;
using orv::CIniFile;

namespace {

const std::string BOM = "\xEF\xBB\xBF";

CFileBuffer bufferOf(const std::string& bytes)
{
	return CFileBuffer(reinterpret_cast<const irr::u8*>(bytes.data()), static_cast<irr::u32>(bytes.size()));
}

// What the settings would write, without the byte-order mark.
std::string written(const CIniFile& ini)
{
	const std::vector<irr::u8> bytes = ini.compose();
	const std::string text(bytes.begin(), bytes.end());
	return text.compare(0, 3, BOM) == 0 ? text.substr(3) : text;
}

std::string parsed(const std::string& bytes)
{
	CIniFile ini;
	ini.parse(bufferOf(bytes));
	return written(ini);
}

} // namespace

TEST(IniFile, ParsesLinesSectionsAndEntries)
{
	struct Case
	{
		const char* name;
		std::string file;
		std::string expected;
	};
	const Case cases[] = {
		{"LF", "[s]\nk=v\nx = y\n", "[s]\r\nk = v\r\nx = y\r\n"},
		{"CR", "[s]\rk=v\rx = y", "[s]\r\nk = v\r\nx = y\r\n"},
		{"CRLF and blank lines", "[s]\r\n\r\nk=v\r\n\r\n\r\nx = y\r\n", "[s]\r\nk = v\r\nx = y\r\n"},
		{"split at the first =", "[s]\na = b = c\n", "[s]\r\na = b = c\r\n"},
		{"lines before the first section", "k=v\nloose\n[s]\nx=y", "k=v\r\nloose\r\n[s]\r\nx = y\r\n"},
		{"key set twice keeps its place", "[s]\na=1\nb=2\na=3", "[s]\r\na = 3\r\nb = 2\r\n"},
		{"empty section name", "[]\nk=v", "[]\r\nk = v\r\n"},
		{"line without =", "[s]\njust words", "[s]\r\njust words\r\n"},
		{"line beginning with =", "[s]\n= v", "[s]\r\n = v\r\n"},
		{"spaces and tabs trimmed", "  [s]\t\n\t k \t=\t v \t\n", "[s]\r\nk = v\r\n"},
		{"header inside kept", "[ s ]\nk=v", "[ s ]\r\nk = v\r\n"},
		{"lone bracket is no header", "[s]\n[\nk=v", "[s]\r\n[\r\nk = v\r\n"},
		{"comment with =", "[s]\n; k = 1\n#k=2\nk=3", "[s]\r\n; k = 1\r\n#k=2\r\nk = 3\r\n"},
		{"same section twice", "[s]\na=1\n[s]\nb=2", "[s]\r\na = 1\r\n[s]\r\nb = 2\r\n"},
		{"empty file", "", ""},
		{"only blank lines", "\r\n\n\r", ""},
	};
	for (const Case& c : cases)
		EXPECT_EQ(parsed(c.file), c.expected) << c.name;
}

TEST(IniFile, LookupOfParsedValues)
{
	CIniFile ini;
	ini.parse(bufferOf("[s]\na = b = c\na2=1\na2=2\n[t]\nx=1\n[t]\ny=2\n"));
	ASSERT_NE(ini.findSection("s"), nullptr);
	EXPECT_EQ(ini.findSection("s")->get("a"), ustring16("b = c"));
	EXPECT_EQ(ini.findSection("s")->get("a2"), ustring16("2"));
	EXPECT_EQ(ini.findSection("s")->get("missing"), ustring16());
	// The later of two same-named sections is the one found.
	EXPECT_FALSE(ini.findSection("t")->has("x"));
	EXPECT_EQ(ini.findSection("t")->get("y"), ustring16("2"));
	EXPECT_EQ(ini.findSection("absent"), nullptr);
	EXPECT_EQ(ini.findSection("absent"), nullptr) << "findSection must not create";
}

TEST(IniFile, ByteOrderMarksPickTheEncoding)
{
	const std::u32string text = U"[Sprache]\r\nname = é漢\U0001F600\r\n";
	auto encode = [&](int unitBytes, bool bigEndian, bool utf16) {
		std::string out;
		auto put = [&](uint32_t unit) {
			for (int i = 0; i < unitBytes; ++i)
			{
				const int shift = 8 * (bigEndian ? unitBytes - 1 - i : i);
				out += static_cast<char>((unit >> shift) & 0xFF);
			}
		};
		put(0xFEFF);
		for (char32_t c : text)
		{
			if (utf16 && c > 0xFFFF)
			{
				put(0xD800 + ((c - 0x10000) >> 10));
				put(0xDC00 + ((c - 0x10000) & 0x3FF));
			}
			else
			{
				put(c);
			}
		}
		return out;
	};
	const std::string utf8 = ustring16(text).toUTF8_std();
	const std::string expected = "[Sprache]\r\nname = " + ustring16(U"é漢\U0001F600").toUTF8_std() + "\r\n";

	struct Case
	{
		const char* name;
		std::string file;
	};
	const Case cases[] = {
		{"UTF-8", utf8},
		{"UTF-8 with mark", BOM + utf8},
		{"UTF-16 LE", encode(2, false, true)},
		{"UTF-16 BE", encode(2, true, true)},
		{"UTF-32 LE", encode(4, false, false)},
		{"UTF-32 BE", encode(4, true, false)},
	};
	for (const Case& c : cases)
		EXPECT_EQ(parsed(c.file), expected) << c.name;
}

TEST(IniFile, WrittenFileParsesBackTheSame)
{
	CIniFile ini;
	ini.parse(bufferOf("[Window]\ndriver = dx9\n[Font]\ndefault = code2001.ttf\n"));
	ini.getSection("Window")->setNumber("width", 1024);
	ini.getSection("Neu")->set("schlüssel", "wert 漢 \U0001F600");
	ini.getSection("")->set("", "");

	const std::vector<irr::u8> first = ini.compose();
	ASSERT_GE(first.size(), 3u);
	EXPECT_EQ(std::string(first.begin(), first.begin() + 3), BOM);

	CIniFile again;
	again.parse(CFileBuffer(first.data(), static_cast<irr::u32>(first.size())));
	EXPECT_EQ(written(again), written(ini));
	EXPECT_EQ(written(ini),
		"[Window]\r\ndriver = dx9\r\nwidth = 1024\r\n[Font]\r\ndefault = code2001.ttf\r\n"
		"[Neu]\r\nschlüssel = wert 漢 \U0001F600\r\n[]\r\n = \r\n");
}

// The player's own notes in settings.ini survive the program's run: the
// file the engine writes at exit has them where they stood.
TEST(IniFile, CommentsStandWhereTheyWereInTheFileWrittenAtExit)
{
	const std::string window = "[Window]\ndriver = opengl\nheight = 600\nwidth = 800\n";
	const std::string rest = "[Font]\ndefault = a.ttf\ndefault_size = 14\n[Language]\nlanguage = English\n";
	const std::string windowWritten = "[Window]\r\ndriver = opengl\r\nheight = 600\r\nwidth = 800\r\n";
	const std::string restWritten =
		"[Font]\r\ndefault = a.ttf\r\ndefault_size = 14\r\n[Language]\r\nlanguage = English\r\n";
	struct Case
	{
		const char* name;
		std::string file;
		std::string expected;
	};
	const Case cases[] = {
		{"comments among entries",
			"[Window]\n; the old monitor\ndriver = opengl\n# as tall as it goes\nheight = 600\nwidth = 800\n" + rest,
			"[Window]\r\n; the old monitor\r\ndriver = opengl\r\n# as tall as it goes\r\nheight = 600\r\n"
			"width = 800\r\n" +
				restWritten},
		{"two comment lines in a row", "[Window]\n; one\n; two\n" + window.substr(9) + rest,
			"[Window]\r\n; one\r\n; two\r\n" + windowWritten.substr(10) + restWritten},
		{"lines before the first section", "; my settings\nwritten by hand\n\n" + window + rest,
			"; my settings\r\nwritten by hand\r\n" + windowWritten + restWritten},
		{"a line without =", window + "remember the driver\n" + rest,
			windowWritten + "remember the driver\r\n" + restWritten},
		{"entries commented out", "[Window]\n;width = 1024\n" + window.substr(9) + ";width = 640\n" + rest,
			"[Window]\r\n;width = 1024\r\n" + windowWritten.substr(10) + ";width = 640\r\n" + restWritten},
		{"a comment at the end of the file", window + rest + "; the end",
			windowWritten + restWritten + "; the end\r\n"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		orv::test::CEngineSandbox sandbox({{"settings.ini", c.file}});
		ASSERT_TRUE(sandbox.started());
		sandbox.tearDown();
		EXPECT_EQ(sandbox.folder().read("settings.ini"), BOM + c.expected);
	}
}

TEST(IniFile, LineBreaksInsideAValueBecomeSpaces)
{
	CIniFile ini;
	ini.getSection("s")->set("k", "one\r\ntwo\rthree\nfour");
	EXPECT_EQ(written(ini), "[s]\r\nk = one  two three four\r\n");
}

TEST(IniFile, NumbersReadLikeStreamExtraction)
{
	struct Case
	{
		const char* value;
		irr::s32 expected;
	};
	const Case cases[] = {
		{"14", 14},
		{"  -7px", -7},
		{"+3", 3},
		{"\t42", 42},
		{"abc", 0},
		{"", 0},
		{"- 5", 0},
		{"2147483647", INT_MAX},
		{"-2147483648", INT_MIN},
		{"99999999999", INT_MAX},
		{"-99999999999", INT_MIN},
	};
	orv::CIniSection section("s");
	for (const Case& c : cases)
	{
		section.set("n", c.value);
		EXPECT_EQ(section.getNumber("n"), c.expected) << c.value;
	}
	EXPECT_EQ(section.getNumber("absent"), 0);
	section.setNumber("m", -12);
	EXPECT_EQ(section.get("m"), ustring16("-12"));
}

TEST(FileBuffer, ReadTextTakesWhatRemains)
{
	CFileBuffer buffer = bufferOf("abcdé");
	EXPECT_EQ(buffer.readText(2), ustring16("ab"));
	EXPECT_EQ(buffer.readText(100), ustring16("cdé"));
	EXPECT_EQ(buffer.getReadPosition(), 6u);
	EXPECT_EQ(buffer.readText(1), ustring16());
}

TEST(FileBuffer, LoadAndSaveThroughTheFileSystem)
{
	orv::test::CTempFolder folder;
	irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
	ASSERT_NE(device, nullptr);
	irr::io::IFileSystem* fileSystem = device->getFileSystem();

	CFileBuffer saved = bufferOf("[s]\r\nk = v\r\n");
	saved.setFileName(ustring16((folder.path() + "out.ini").c_str()));
	EXPECT_TRUE(saved.save(fileSystem));
	EXPECT_EQ(folder.read("out.ini"), "[s]\r\nk = v\r\n");

	CFileBuffer loaded;
	EXPECT_TRUE(loaded.load(fileSystem, ustring16((folder.path() + "out.ini").c_str())));
	EXPECT_EQ(loaded.getSize(), 12u);
	EXPECT_FALSE(loaded.load(fileSystem, ustring16((folder.path() + "missing.ini").c_str())));
	EXPECT_EQ(loaded.getSize(), 12u) << "a failed load keeps the bytes";
	EXPECT_FALSE(loaded.load(nullptr, "out.ini"));
	EXPECT_FALSE(saved.save(nullptr));

	CIniFile ini;
	EXPECT_FALSE(ini.write(ustring16((folder.path() + "a.ini").c_str()), nullptr));
	EXPECT_TRUE(ini.write(ustring16((folder.path() + "empty.ini").c_str()), fileSystem));
	EXPECT_FALSE(folder.exists("empty.ini")) << "nothing to write writes nothing";
	ini.getSection("s")->set("k", "v");
	EXPECT_FALSE(ini.write(ustring16((folder.path() + "no/such/folder/a.ini").c_str()), fileSystem))
		<< "a failed save is reported";
	EXPECT_TRUE(ini.write(ustring16((folder.path() + "a.ini").c_str()), fileSystem));
	EXPECT_EQ(folder.read("a.ini"), BOM + "[s]\r\nk = v\r\n");
	device->drop();
}
