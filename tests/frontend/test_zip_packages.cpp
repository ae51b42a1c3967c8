// Zip packages are checked before Irrlicht's zip reader sees them: damaged
// and hostile archives are left out of the package list with one warning
// naming the file, the other packages stay; archives that zip tools write,
// seekable or streamed, mount and their files read back whole.

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "frontend/PackageList.h"
#include "base/Log.h"
#include "support/CLogLines.h"
#include "support/TestZip.h"
#include "support/engine_fixture.h"

namespace {

using namespace orv;

std::string description(const std::string& name)
{
	return "<orvpackage version=\"1\"><package name=\"" + name + "\" version=\"1.0\"></package></orvpackage>";
}

std::string bigText()
{
	std::string text;
	for (int i = 0; i < 4000; ++i)
		text += "line " + std::to_string(i % 97) + " of the package's data\n";
	return text;
}

uint32_t get16(const std::string& s, size_t at)
{
	return uint8_t(s[at]) | uint32_t(uint8_t(s[at + 1])) << 8;
}

uint32_t get32(const std::string& s, size_t at)
{
	return get16(s, at) | get16(s, at + 2) << 16;
}

void set16(std::string& s, size_t at, uint32_t value)
{
	s[at] = char(value & 0xFF);
	s[at + 1] = char((value >> 8) & 0xFF);
}

void set32(std::string& s, size_t at, uint32_t value)
{
	set16(s, at, value & 0xFFFF);
	set16(s, at + 2, value >> 16);
}

// Where the fields of the archive's first entry and its end record lie.
struct SLayout
{
	size_t end;        // the end of central directory record
	size_t directory;  // the first central entry
	size_t local = 0;  // the first local header
	size_t descriptor; // after the first entry's data

	explicit SLayout(const std::string& zip)
		: end(zip.size() - 22)
		, directory(get32(zip, zip.size() - 22 + 16))
		, descriptor(30 + get16(zip, 26) + get32(zip, get32(zip, zip.size() - 22 + 16) + 20))
	{
	}
};

const std::vector<std::pair<std::string, std::string>> BAD_FILES = {
	{"package.xml", description("Bad")}, {"data/big.txt", bigText()}};

class ZipPackageTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		device->setEventReceiver(&log);
		orv::setLogger(device->getLogger());
	}
	void TearDown() override
	{
		orv::setLogger(nullptr);
		clearPackageList();
		device->setEventReceiver(nullptr);
		device->drop();
	}

	std::vector<std::string> listed() const
	{
		std::vector<std::string> names;
		for (const SPackageListEntry& entry : getPackageList())
			names.push_back(entry.Info.Name.toUTF8_std());
		return names;
	}

	irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
	test::CLogLines log;
};

TEST_F(ZipPackageTest, DamagedArchivesAreLeftOutWithOneWarningEach)
{
	struct Case
	{
		const char* name;
		const char* file; // within the package folder
		bool streamed;
		std::function<void(std::string&, const SLayout&)> damage;
	};
	const Case cases[] = {
		{"a local header offset past the end", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set32(z, at.directory + 42, 0xD0000000); }},
		{"a central name 1024 bytes longer", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 28, get16(z, at.directory + 28) + 1024); }},
		{"a central name 1024 bytes longer, sizes in the headers", "bad.zip", false,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 28, get16(z, at.directory + 28) + 1024); }},
		{"a local name 1024 bytes longer", "bad.zip", false,
			[](std::string& z, const SLayout& at) { set16(z, at.local + 26, get16(z, at.local + 26) + 1024); }},
		{"no end record", "bad.zip", true, [](std::string& z, const SLayout& at) { z.resize(at.end); }},
		{"cut in the middle", "bad.zip", true, [](std::string& z, const SLayout&) { z.resize(z.size() / 2); }},
		{"the directory one byte off", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set32(z, at.end + 16, get32(z, at.end + 16) + 1); }},
		{"one entry more counted", "bad.zip", true,
			[](std::string& z, const SLayout& at) {
				set16(z, at.end + 8, get16(z, at.end + 8) + 1);
				set16(z, at.end + 10, get16(z, at.end + 10) + 1);
			}},
		{"a comment that holds an end signature", "bad.zip", false,
			[](std::string& z, const SLayout& at) {
				const std::string comment = std::string("PK\x05\x06", 4) + std::string(18, '\0') + "tail";
				set16(z, at.end + 20, static_cast<uint32_t>(comment.size()));
				z += comment;
			}},
		{"names that disagree", "bad.zip", true, [](std::string& z, const SLayout& at) { z[at.local + 30] ^= 1; }},
		{"stored sizes that disagree", "bad.zip", false,
			[](std::string& z, const SLayout& at) { set32(z, at.local + 18, get32(z, at.local + 18) + 1); }},
		{"a descriptor that disagrees", "bad.zip", true,
			[](std::string& z, const SLayout& at) { z[at.descriptor + 4] ^= 1; }},
		{"bit 3 in the directory only", "bad.zip", false,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 8, 1u << 3); }},
		{"an entry that claims 2 GiB", "bad.zip", true,
			[](std::string& z, const SLayout& at) {
				set32(z, at.directory + 24, 0x7FFFFFFF);
				set32(z, at.descriptor + 12, 0x7FFFFFFF);
			}},
		{"more unpacked than deflate can give", "bad.zip", true,
			[](std::string& z, const SLayout& at) {
				const uint32_t claimed = get32(z, at.directory + 20) * 1032 + 4096;
				set32(z, at.directory + 24, claimed);
				set32(z, at.descriptor + 12, claimed);
			}},
		{"bzip2", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 10, 12), set16(z, at.local + 8, 12); }},
		{"LZMA", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 10, 14), set16(z, at.local + 8, 14); }},
		{"AES", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 10, 99), set16(z, at.local + 8, 99); }},
		{"encrypted", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 8, 9), set16(z, at.local + 8 - 2, 9); }},
		{"two entries over the same bytes", "bad.zip", false,
			[](std::string& z, const SLayout& at) {
				// The second entry, made the first's twin in name and sizes.
				const size_t second = at.directory + 46 + get16(z, at.directory + 28);
				z.replace(second, 46 + 11, z.substr(at.directory, 46 + 11));
			}},
		{"a zip in a file of another name", "bad.pak", true, [](std::string&, const SLayout&) {}},
		{"a gzip archive", "bad.gz", false,
			[](std::string& z, const SLayout&) { z = std::string("\x1f\x8b\x08\x00", 4) + std::string(40, '\0'); }},
		{"no archive at all, named zip", "bad.zip", false, [](std::string& z, const SLayout&) { z = "not a zip"; }},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		test::CTempFolder folder;
		folder.write("package/Good/package.xml", description("Good"));
		folder.write("package/good.zip", test::makeStreamedZip({{"package.xml", description("Fine")}}));
		std::string bad = c.streamed ? test::makeStreamedZip(BAD_FILES) : test::makeZip(BAD_FILES);
		if (std::string(c.name) == "two entries over the same bytes")
			bad = test::makeZip({{"package.xml", description("Bad")}, {"package.xml", description("Bad")}});
		c.damage(bad, SLayout(bad));
		folder.write(std::string("package/") + c.file, bad);
		log.lines.clear();

		loadPackageList(device, nullptr, irr::core::stringw(folder.path().c_str()));
		const std::vector<std::string> expected = std::string(c.file) == "bad.pak"
			? std::vector<std::string>{"Good", "Bad", "Fine"}
			: std::vector<std::string>{"Good", "Fine"};
		EXPECT_EQ(listed(), expected);
		size_t warnings = 0;
		for (const std::string& line : log.lines)
			warnings += line.find(std::string("Package ") + c.file + " is not mounted: ") != std::string::npos;
		EXPECT_EQ(warnings, std::string(c.file) == "bad.pak" ? 0u : 1u);
		EXPECT_EQ(log.lines.size(), warnings) << (log.lines.empty() ? "" : log.lines[0]);
	}
}

// The package's files, written by a tool into "tool.zip" within the package
// folder from the folder "source".
TEST_F(ZipPackageTest, ArchivesOfZipToolsMountAndReadBack)
{
	const std::string python = "python3 -c 'import sys, zipfile, os\n"
							   "out = sys.stdout.buffer if sys.argv[2] == \"-\" else open(sys.argv[2], \"wb\")\n"
							   "z = zipfile.ZipFile(out, \"w\", int(sys.argv[1]))\n"
							   "for d, _, fs in sorted(os.walk(\".\")):\n"
							   "    for f in sorted(fs): z.write(os.path.join(d, f))\n"
							   "z.close()' ";
	struct Case
	{
		const char* name;
		std::string command; // run in "source"
	};
	const Case cases[] = {
		{"Python's zipfile, stored", python + "0 ../package/tool.zip"},
		{"Python's zipfile, deflated", python + "8 ../package/tool.zip"},
		{"Python's zipfile, streamed into a pipe", python + "8 - | cat > ../package/tool.zip"},
		{"zip", "zip -q -r ../package/tool.zip ."},
		{"zip, streamed into a pipe", "zip -q -r - . | cat > ../package/tool.zip"},
		{"7-Zip", "7z a -bd -tzip ../package/tool.zip . > /dev/null"},
	};
	const std::string big = bigText();
	const std::string picture = [] {
		std::string bytes;
		for (int i = 0; i < 3000; ++i)
			bytes += static_cast<char>((i * 7919) % 251);
		return bytes;
	}();
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		const std::string tool = c.command.substr(0, c.command.find(' '));
		if (std::system(("command -v " + tool + " > /dev/null").c_str()) != 0)
		{
			ADD_FAILURE() << tool << " is not installed";
			continue;
		}
		test::CTempFolder folder;
		folder.write("source/package.xml", description("Tool"));
		folder.write("source/data/big.txt", big);
		folder.write("source/pictures/picture.bin", picture);
		ASSERT_EQ(std::system(("cd '" + folder.path() + "source' && mkdir -p ../package && " + c.command).c_str()), 0);
		log.lines.clear();

		loadPackageList(device, nullptr, irr::core::stringw(folder.path().c_str()));
		EXPECT_TRUE(log.lines.empty()) << log.lines[0];
		ASSERT_EQ(listed(), std::vector<std::string>{"Tool"});
		for (const auto& file : {std::make_pair("big.txt", &big), std::make_pair("picture.bin", &picture)})
		{
			irr::io::IReadFile* read = getPackageList().front().Archive->createAndOpenFile(file.first);
			ASSERT_NE(read, nullptr) << file.first;
			std::string bytes(static_cast<size_t>(read->getSize()), '\0');
			EXPECT_EQ(read->read(&bytes[0], static_cast<irr::u32>(bytes.size())), read->getSize());
			read->drop();
			EXPECT_EQ(bytes, *file.second) << file.first;
		}
	}
}

} // namespace
