// Zip packages are read through libzip within the client's bounds: archives
// refused whole are left out of the package list with one warning naming the
// file, damaged files are refused when opened with one warning naming them,
// the other packages stay; archives that zip tools write, seekable or
// streamed, mount and their files read back whole.

#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "base/Log.h"
#include "frontend/PackageList.h"
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
		setLogger(device->getLogger());
	}
	void TearDown() override
	{
		setLogger(nullptr);
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

// What becomes of a damaged archive: libzip refuses it whole, or it mounts
// and the file libzip cannot read soundly is refused when it is opened, or
// libzip reads every file as the central directory gives it.
enum EOutcome
{
	EO_REFUSED,
	EO_DESCRIPTION_REFUSED,
	EO_READ_WHOLE,
	EO_DESCRIPTION_READ,
};

TEST_F(ZipPackageTest, DamagedArchivesAreRefusedOrReadAsTheirDirectoryGivesThem)
{
	struct Case
	{
		const char* name;
		const char* file; // within the package folder
		bool streamed;
		std::function<void(std::string&, const SLayout&)> damage;
		EOutcome outcome;
	};
	const Case cases[] = {
		{"a local header offset past the end", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set32(z, at.directory + 42, 0xD0000000); }, EO_DESCRIPTION_REFUSED},
		{"a central name 1024 bytes longer", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 28, get16(z, at.directory + 28) + 1024); },
			EO_REFUSED},
		{"a central name 1024 bytes longer, sizes in the headers", "bad.zip", false,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 28, get16(z, at.directory + 28) + 1024); },
			EO_REFUSED},
		{"a local name 1024 bytes longer", "bad.zip", false,
			[](std::string& z, const SLayout& at) { set16(z, at.local + 26, get16(z, at.local + 26) + 1024); },
			EO_DESCRIPTION_REFUSED},
		{"no end record", "bad.zip", true, [](std::string& z, const SLayout& at) { z.resize(at.end); }, EO_REFUSED},
		{"cut in the middle", "bad.zip", true, [](std::string& z, const SLayout&) { z.resize(z.size() / 2); },
			EO_REFUSED},
		{"the directory one byte off", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set32(z, at.end + 16, get32(z, at.end + 16) + 1); }, EO_REFUSED},
		{"one entry more counted", "bad.zip", true,
			[](std::string& z, const SLayout& at) {
				set16(z, at.end + 8, get16(z, at.end + 8) + 1);
				set16(z, at.end + 10, get16(z, at.end + 10) + 1);
			},
			EO_REFUSED},
		{"a comment that holds an end signature", "bad.zip", false,
			[](std::string& z, const SLayout& at) {
				const std::string comment = std::string("PK\x05\x06", 4) + std::string(18, '\0') + "tail";
				set16(z, at.end + 20, static_cast<uint32_t>(comment.size()));
				z += comment;
			},
			EO_READ_WHOLE},
		{"names that disagree", "bad.zip", true, [](std::string& z, const SLayout& at) { z[at.local + 30] ^= 1; },
			EO_READ_WHOLE},
		{"stored sizes that disagree", "bad.zip", false,
			[](std::string& z, const SLayout& at) { set32(z, at.local + 18, get32(z, at.local + 18) + 1); },
			EO_READ_WHOLE},
		{"a descriptor that disagrees", "bad.zip", true,
			[](std::string& z, const SLayout& at) { z[at.descriptor + 4] ^= 1; }, EO_READ_WHOLE},
		{"bit 3 in the directory only", "bad.zip", false,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 8, 1u << 3); }, EO_READ_WHOLE},
		{"an entry that claims 2 GiB", "bad.zip", true,
			[](std::string& z, const SLayout& at) {
				set32(z, at.directory + 24, 0x7FFFFFFF);
				set32(z, at.descriptor + 12, 0x7FFFFFFF);
			},
			EO_REFUSED},
		{"more unpacked than deflate can give", "bad.zip", true,
			[](std::string& z, const SLayout& at) {
				const uint32_t claimed = get32(z, at.directory + 20) * 1032 + 4096;
				set32(z, at.directory + 24, claimed);
				set32(z, at.descriptor + 12, claimed);
			},
			EO_REFUSED},
		{"bzip2", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 10, 12), set16(z, at.local + 8, 12); },
			EO_REFUSED},
		{"LZMA", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 10, 14), set16(z, at.local + 8, 14); },
			EO_REFUSED},
		{"AES", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 10, 99), set16(z, at.local + 8, 99); },
			EO_REFUSED},
		{"encrypted", "bad.zip", true,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 8, 9), set16(z, at.local + 8 - 2, 9); },
			EO_REFUSED},
		{"two entries over the same bytes", "bad.zip", false,
			[](std::string& z, const SLayout&) {
				z = test::makeZip({{"package.xml", description("Bad")}, {"package.xml", description("Bad")}});
				// The second entry, made the first's twin in name and sizes.
				const SLayout at(z);
				const size_t second = at.directory + 46 + get16(z, at.directory + 28);
				z.replace(second, 46 + 11, z.substr(at.directory, 46 + 11));
			},
			EO_DESCRIPTION_READ},
		{"an empty name", "bad.zip", false,
			[](std::string& z, const SLayout& at) { set16(z, at.directory + 28, 0), set16(z, at.local + 26, 0); },
			EO_REFUSED},
		{"a zip in a file of another name", "bad.pak", true, [](std::string&, const SLayout&) {}, EO_READ_WHOLE},
		{"a gzip archive", "bad.gz", false,
			[](std::string& z, const SLayout&) { z = std::string("\x1f\x8b\x08\x00", 4) + std::string(40, '\0'); },
			EO_REFUSED},
		{"no archive at all, named zip", "bad.zip", false, [](std::string& z, const SLayout&) { z = "not a zip"; },
			EO_REFUSED},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		test::CTempFolder folder;
		folder.write("package/Good/package.xml", description("Good"));
		folder.write("package/good.zip", test::makeStreamedZip({{"package.xml", description("Fine")}}));
		std::string bad = c.streamed ? test::makeStreamedZip(BAD_FILES) : test::makeZip(BAD_FILES);
		c.damage(bad, SLayout(bad));
		folder.write(std::string("package/") + c.file, bad);
		log.lines.clear();

		loadPackageList(device, nullptr, irr::core::stringw(folder.path().c_str()));
		const std::string file = c.file;
		switch (c.outcome)
		{
		case EO_REFUSED:
			EXPECT_EQ(listed(), (std::vector<std::string>{"Good", "Fine"}));
			ASSERT_EQ(log.lines.size(), 1u);
			EXPECT_EQ(log.count("core: Package " + file + " is not mounted: "), 1u) << log.lines[0];
			break;
		case EO_DESCRIPTION_REFUSED:
			EXPECT_EQ(listed(), (std::vector<std::string>{"Good", "", "Fine"}));
			ASSERT_EQ(log.lines.size(), 1u);
			EXPECT_EQ(log.count("core: File package.xml of package " + file + " is not read: "), 1u) << log.lines[0];
			break;
		case EO_READ_WHOLE:
			EXPECT_EQ(listed(), (std::vector<std::string>{"Good", "Bad", "Fine"}));
			EXPECT_TRUE(log.lines.empty()) << log.lines[0];
			if (getPackageList().size() == 3)
			{
				irr::io::IReadFile* read = std::next(getPackageList().begin())->Archive->createAndOpenFile("big.txt");
				ASSERT_NE(read, nullptr);
				std::string bytes(static_cast<size_t>(read->getSize()), '\0');
				EXPECT_EQ(read->read(&bytes[0], static_cast<irr::u32>(bytes.size())), read->getSize());
				read->drop();
				EXPECT_EQ(bytes, bigText());
			}
			break;
		case EO_DESCRIPTION_READ:
			EXPECT_EQ(listed(), (std::vector<std::string>{"Good", "Bad", "Fine"}));
			EXPECT_TRUE(log.lines.empty()) << log.lines[0];
			break;
		}
	}
}

// Entries whose data libzip finds unsound are made in the test: each archive
// mounts, its description reads, and the damaged file is never handed to a
// reader: the first open says so in one line naming it, later ones are
// refused without another line.
TEST_F(ZipPackageTest, AnEntryWithDamagedDataIsRefusedWhenOpenedWithOneLine)
{
	const std::string big = bigText();
	struct Case
	{
		const char* name;
		std::function<std::string()> make;
		const char* reason;
	};
	const Case cases[] = {
		{"deflated data with a byte changed",
			[&] {
				std::string z = test::makeStreamedZip({{"data/big.txt", big}, {"package.xml", description("Bad")}});
				const SLayout at(z);
				z[30 + 12 + (at.descriptor - 30 - 12) / 2] ^= 0x55;
				return z;
			},
			"its data is damaged"},
		{"stored data with a byte changed",
			[&] {
				std::string z = test::makeZip({{"data/big.txt", big}, {"package.xml", description("Bad")}});
				z[30 + 12 + big.size() / 2] ^= 0x55;
				return z;
			},
			"its data is damaged"},
		{"deflated data cut short",
			[&] {
				// big.txt comes last: its stream loses its second half, and
				// its sizes and the directory's place say so.
				std::string z = test::makeStreamedZip({{"package.xml", description("Bad")}, {"data/big.txt", big}});
				const SLayout at(z);
				const size_t secondCentral = at.directory + 46 + 11;
				const size_t data = at.descriptor + 16 + 30 + 12;
				const uint32_t packed = get32(z, secondCentral + 20);
				const uint32_t kept = packed / 2;
				set32(z, data + packed + 8, kept);
				set32(z, secondCentral + 20, kept);
				set32(z, at.end + 16, static_cast<uint32_t>(at.directory - (packed - kept)));
				std::string cut = z.substr(0, data + kept) + z.substr(data + packed);
				return cut;
			},
			"its data is damaged"},
		{"a whole deflate stream that gives less than the size claimed",
			[&] {
				// The stream and CRC of the first half of the text, under the size of the whole.
				const std::string half = big.substr(0, big.size() / 2);
				std::string z = test::makeStreamedZip({{"data/big.txt", half}, {"package.xml", description("Bad")}});
				const SLayout at(z);
				set32(z, at.directory + 24, static_cast<uint32_t>(big.size()));
				set32(z, at.descriptor + 12, static_cast<uint32_t>(big.size()));
				return z;
			},
			"its data ends before the size its header gives"},
		{"deflated data that runs past the size claimed",
			[&] {
				std::string z = test::makeStreamedZip({{"data/big.txt", big}, {"package.xml", description("Bad")}});
				const SLayout at(z);
				const uint32_t claimed = static_cast<uint32_t>(big.size() / 2);
				set32(z, at.directory + 24, claimed);
				set32(z, at.descriptor + 12, claimed);
				return z;
			},
			"its data runs past the size its header gives"},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		test::CTempFolder folder;
		folder.write("package/bad.zip", c.make());
		log.lines.clear();
		loadPackageList(device, nullptr, irr::core::stringw(folder.path().c_str()));
		ASSERT_EQ(listed(), std::vector<std::string>{"Bad"});
		EXPECT_TRUE(log.lines.empty()) << log.lines[0];

		irr::io::IFileArchive* archive = getPackageList().front().Archive;
		EXPECT_EQ(archive->createAndOpenFile("big.txt"), nullptr);
		EXPECT_EQ(archive->createAndOpenFile("data/BIG.txt"), nullptr);
		ASSERT_EQ(log.lines.size(), 1u);
		EXPECT_EQ(
			log.lines[0], std::string("core: File data/big.txt of package bad.zip is not read: ") + c.reason + ".");
		// Its neighbour reads as ever.
		irr::io::IReadFile* description = archive->createAndOpenFile("package.xml");
		ASSERT_NE(description, nullptr);
		description->drop();
		EXPECT_EQ(log.lines.size(), 1u);
	}
}

// Only zip archives are mounted from files, found by their first bytes
// whatever the name; archives of the other kinds Irrlicht's loaders read, a
// Quake PAK here, are files like any other and are left out without a word.
TEST_F(ZipPackageTest, ZipArchivesAreFoundByTheirFirstBytesAndNoOtherArchiveIsMounted)
{
	const std::string xml = description("Pak");
	std::string pak = "PACK";
	std::string entry = "package.xml";
	entry.resize(56, '\0');
	set32(pak += std::string(8, '\0'), 4, 12 + static_cast<uint32_t>(xml.size()));
	set32(pak, 8, 64);
	pak += xml + entry + std::string(8, '\0');
	set32(pak, pak.size() - 8, 12);
	set32(pak, pak.size() - 4, static_cast<uint32_t>(xml.size()));

	test::CTempFolder folder;
	folder.write("package/quake.pak", pak);
	folder.write("package/noextension", test::makeZip({{"package.xml", description("Bare")}}));
	folder.write("package/upper.ZIP", test::makeStreamedZip({{"package.xml", description("Upper")}}));
	log.lines.clear();
	loadPackageList(device, nullptr, irr::core::stringw(folder.path().c_str()));
	EXPECT_EQ(listed(), (std::vector<std::string>{"Bare", "Upper"}));
	EXPECT_TRUE(log.lines.empty()) << log.lines[0];
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
