// What every content reader costs as its input grows: each reader is fed the
// shapes of input that are worst for it, at two sizes, the second twice the
// first. Prints, per reader and shape, the seconds (median of three) and the
// peak memory above what the started engine held, at both sizes, and the
// ratio of each; the goal is at most 2.1 for a doubled input.
//
// Each load runs in a child process of its own with a fresh engine on the
// null device and OpenAL's null output, its log silent: the figures are the
// reader's, and each starts from the same heap.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <IFileSystem.h>
#include <IReadFile.h>

#include "audio/CMemorySource.h"
#include "audio/COggDecoder.h"
#include "engine/CGameEngine.h"
#include "frontend/CClassDefinitionReader.h"
#include "frontend/CPackageReader.h"
#include "level/BlockingTiles.h"
#include "level/CLevelLoader.h"
#include "text/CStringTable.h"

#include "support/FreshEngine.h"
#include "support/InChild.h"

using namespace orv;

namespace {

const int ROUNDS = 3;
const size_t MIB = 1u << 20;
// A reader that takes longer, or more address space, has failed the goal
// by far: its child is stopped there.
const unsigned TIME_LIMIT_SECONDS = 60;
const rlim_t ADDRESS_SPACE_LIMIT = rlim_t(2) << 30;

typedef std::chrono::steady_clock Clock;

// ---- what the process holds ----------------------------------------------

//! A field of /proc/self/status, in KiB.
long statusKiB(const char* field)
{
	std::ifstream status("/proc/self/status");
	std::string line;
	const size_t length = std::strlen(field);
	while (std::getline(status, line))
		if (line.compare(0, length, field) == 0)
			return std::atol(line.c_str() + length);
	return 0;
}

//! Starts counting the peak afresh from what the process holds now.
long resetPeakKiB()
{
	std::ofstream("/proc/self/clear_refs") << "5";
	return statusKiB("VmRSS:");
}

// ---- the inputs ----------------------------------------------------------

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
	std::ofstream(path, std::ios::binary) << bytes;
}

std::string repeat(const std::string& piece, size_t bytes)
{
	std::string text;
	text.reserve(bytes + piece.size());
	while (text.size() < bytes)
		text += piece;
	return text;
}

std::string level(const std::string& objects)
{
	return "<?xml version=\"1.0\"?>\n<orvlevel version=\"1\">\n<sceneobjects>\n" + objects +
		"</sceneobjects>\n</orvlevel>\n";
}

std::string tiledObject(const std::string& children)
{
	return "<object type=\"tiled\" class=\"map\"><tileset tile_w=\"16\" tile_h=\"16\" file=\"none.png\"/>" + children +
		"</object>\n";
}

//! A tile map whose blocking cells interlock in hooks: each box lets the next
//! one be made only in the pass after.
std::string hookMapCode(size_t columns, size_t rows)
{
	static const char* const hook[] = {"...#", "##.#", "#.##", "#..."};
	std::string code;
	code.reserve(columns * rows * 2 + rows);
	for (size_t r = 0; r < rows; ++r)
	{
		for (size_t c = 0; c < columns; ++c)
			code += hook[r % 4][(c + 3 * (r / 4)) % 4] == '#' ? "AB" : "AA";
		code += '\n';
	}
	return code;
}

std::vector<char> fileBytes(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Each writer lays the files of one input of about `bytes` bytes in the folder.
typedef void (*Writer)(const std::filesystem::path& folder, size_t bytes);
// Each reader reads them through the started engine.
typedef void (*Reader)(CGameEngine& engine);

void readLevel(CGameEngine& engine)
{
	CLevelLoader::getInstance()->loadLevel(engine.getDevice(), "level.xml");
}

void writeEntityAttribute(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "level.xml",
		level("<object class=\"a\"><attribute name=\"text\" value=\"" + repeat("&amp;x", bytes) + "\"/></object>\n"));
}

void writePlainAttribute(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "level.xml",
		level("<object class=\"a\"><attribute name=\"text\" value=\"" + std::string(bytes, 'x') + "\"/></object>\n"));
}

void writeEntityText(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "level.xml", level(repeat("&lt;x", bytes) + "\n"));
}

void writeUnendedComments(const std::filesystem::path& folder, size_t bytes)
{
	// Each comment ends at its '>', and the only "-->" is at the very end.
	writeFile(folder / "level.xml", level(repeat("<!--  >", bytes) + "-->\n"));
}

void writeVectorText(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "level.xml",
		level("<object class=\"a\"><collision><circle radius=\"1\" center=\"" + repeat("1 ", bytes) +
			"\"/></collision></object>\n"));
}

void writeManyObjects(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "level.xml", level(repeat("<object type=\"static\" class=\"a\"/>\n", bytes)));
}

void writeManyClasses(const std::filesystem::path& folder, size_t bytes)
{
	std::string objects;
	for (size_t i = 0; objects.size() < bytes; ++i)
		objects += "<object class=\"c" + std::to_string(i) + "\"/>\n";
	writeFile(folder / "level.xml", level(objects));
}

void writeDynamicShapes(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "level.xml",
		level("<object class=\"a\"><collision type=\"dynamic\">" +
			repeat("<circle radius=\"1\" center=\"0 0\"/>", bytes) + "</collision></object>\n"));
}

void writeManyAttributes(const std::filesystem::path& folder, size_t bytes)
{
	std::string attributes;
	for (size_t i = 0; attributes.size() < bytes; ++i)
		attributes += " a" + std::to_string(i) + "=\"x\"";
	writeFile(folder / "level.xml", level("<object" + attributes + " class=\"a\"/>\n"));
}

void writeSpacedTileData(const std::filesystem::path& folder, size_t bytes)
{
	// "AA " a tile: a map 4096 tiles wide, as many rows as the size gives.
	const size_t rows = std::max<size_t>(1, std::min<size_t>(4096, bytes / (4096 * 3)));
	std::string code;
	for (size_t r = 0; r < rows; ++r)
		code += repeat("AA ", 4096 * 3) + "\n";
	writeFile(folder / "level.xml",
		level(tiledObject("<tiledata width=\"4096\" height=\"" + std::to_string(rows) + "\">" + code + "</tiledata>")));
}

void writeManyTileMaps(const std::filesystem::path& folder, size_t bytes)
{
	// Maps of 1024 x 1024 tiles, each 2 MiB of code.
	const std::string map = tiledObject(
		"<tiledata width=\"1024\" height=\"1024\">" + std::string(2 * 1024 * 1024, 'A') + "</tiledata>");
	writeFile(folder / "level.xml", level(repeat(map, bytes)));
}

void writeTextLevelBoards(const std::filesystem::path& folder, size_t bytes)
{
	const std::string board = "BOARD 0 5 64 0 " + std::string(128, 'B') + "\n";
	writeFile(folder / "board.txt", "GLEVNW01\n" + repeat(board, bytes));
	writeFile(folder / "level.xml", level(tiledObject("<tiledata file=\"board.txt\"/>")));
}

void writeTextLevelWords(const std::filesystem::path& folder, size_t bytes)
{
	// One line of single spaces: every space ends a word.
	writeFile(folder / "board.txt", "GLEVNW01\nBOARD" + std::string(bytes, ' ') + "\nNPC\n" + repeat("x\n", bytes));
	writeFile(folder / "level.xml", level(tiledObject("<tiledata file=\"board.txt\"/>")));
}

void writeBlockingFile(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "block.txt", repeat("1,0\n255,255,\n", bytes));
	writeFile(folder / "level.xml",
		level(tiledObject("<tiledata width=\"64\" height=\"64\">" + hookMapCode(64, 64) +
			"</tiledata><collision><blocking_tiles file=\"block.txt\"/></collision>")));
}

void writeBlockingHooks(const std::filesystem::path& folder, size_t bytes)
{
	// A map 2048 tiles wide of the interlocking hooks, as many rows as the size gives.
	const size_t rows = std::max<size_t>(4, std::min<size_t>(4096, bytes / (2048 * 2)));
	writeFile(folder / "block.txt", "0,1\n");
	writeFile(folder / "level.xml",
		level(tiledObject("<tiledata width=\"2048\" height=\"" + std::to_string(rows) + "\">" +
			hookMapCode(2048, rows) + "</tiledata><collision><blocking_tiles file=\"block.txt\"/></collision>")));
}

void readAnimation(CGameEngine& engine)
{
	engine.getAnimation("a.gani");
}

const char GANI_HEAD[] = "GANI0001\nSPRITE 1 none.png 0 0 8 8 a sprite\nSINGLEDIRECTION\n";

void writeGaniLongLine(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "a.gani", std::string(GANI_HEAD) + "ANI\n" + repeat("1 0 0 ", bytes) + "\nANIEND\n");
}

void writeGaniFrames(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "a.gani", std::string(GANI_HEAD) + "ANI\n" + repeat("1 0 0\nWAIT 1\n", bytes) + "ANIEND\n");
}

void writeGaniSetBack(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "a.gani", std::string(GANI_HEAD) + "SETBACKTO" + repeat(" a", bytes) + "\n");
}

void writeGaniSpriteImages(const std::filesystem::path& folder, size_t bytes)
{
	std::string text = "GANI0001\n";
	for (size_t i = 0; text.size() < bytes; ++i)
		text += "SPRITE " + std::to_string(i % 1000) + " i" + std::to_string(i) + ".png 0 0 8 8 a\n";
	writeFile(folder / "a.gani", text);
}

void writeGaniSounds(const std::filesystem::path& folder, size_t bytes)
{
	std::string text = std::string(GANI_HEAD) + "ANI\n";
	for (size_t i = 0; text.size() < bytes; ++i)
		text += "PLAYSOUND s" + std::to_string(i) + ".wav 0 0\n";
	writeFile(folder / "a.gani", text + "1 0 0\nANIEND\n");
}

void readStringTable(CGameEngine& engine)
{
	irr::io::IFileSystem* fileSystem = engine.getDevice()->getFileSystem();
	irr::io::IReadFile* file = fileSystem->createAndOpenFile("table.irrst");
	if (!file)
		return;
	if (irr::stringtable::CStringTable* table = irr::stringtable::CStringTable::loadFile(fileSystem, file))
		table->drop();
	file->drop();
}

void writeTableEntries(const std::filesystem::path& folder, size_t bytes)
{
	std::string text = "<irr_stringtable><language value=\"x\"/>\n";
	for (size_t i = 0; text.size() < bytes; ++i)
		text += "<entry id=\"e" + std::to_string(i) + "\">text " + std::to_string(i) + "</entry>\n";
	writeFile(folder / "table.irrst", text + "</irr_stringtable>\n");
}

void writeTableEntityText(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "table.irrst",
		"<irr_stringtable><entry id=\"e\">" + repeat("&gt;x", bytes) + "</entry></irr_stringtable>\n");
}

void readClassDefinitions(CGameEngine& engine)
{
	CClassDefinitionReader(engine.getDevice(), engine.getScriptManager()).read("classes.xml");
}

void writeManyClassDefinitions(const std::filesystem::path& folder, size_t bytes)
{
	std::string text = "<orvclasses version=\"1\"><objectclasses>\n";
	for (size_t i = 0; text.size() < bytes; ++i)
		text += "<class name=\"c" + std::to_string(i) + "\"/>\n";
	writeFile(folder / "classes.xml", text + "</objectclasses></orvclasses>\n");
}

void writeClassAttributes(const std::filesystem::path& folder, size_t bytes)
{
	std::string text = "<orvclasses version=\"1\"><objectclasses><class name=\"c\">\n";
	for (size_t i = 0; text.size() < bytes; ++i)
		text += "<attribute name=\"a" + std::to_string(i % 100000) + "\" type=\"int\" value=\"1\"/>\n";
	writeFile(folder / "classes.xml", text + "</class></objectclasses></orvclasses>\n");
}

void readPackage(CGameEngine& engine)
{
	irr::io::IReadFile* file = engine.getDevice()->getFileSystem()->createAndOpenFile("package.xml");
	if (!file)
		return;
	CPackageReader(engine.getDevice()).read(file);
	file->drop();
}

void writePackageDescription(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "package.xml",
		"<orvpackage version=\"1\"><package name=\"p\" version=\"1\"><description>" + repeat("&quot;x", bytes) +
			"</description></package></orvpackage>\n");
}

void writePackageTexts(const std::filesystem::path& folder, size_t bytes)
{
	writeFile(folder / "package.xml",
		"<orvpackage version=\"1\"><package name=\"p\" version=\"1\"><description>" +
			repeat("some text<!-- -->", bytes) + "</description></package></orvpackage>\n");
}

void readSound(CGameEngine& engine)
{
	engine.getSound("s.wav");
}

void writeWave(const std::filesystem::path& folder, size_t bytes)
{
	const irr::u32 data = static_cast<irr::u32>(bytes);
	std::string wave = "RIFF";
	const auto put32 = [&wave](irr::u32 v) {
		for (int i = 0; i < 4; ++i)
			wave += static_cast<char>((v >> (8 * i)) & 0xFF);
	};
	const auto put16 = [&wave](irr::u32 v) {
		wave += static_cast<char>(v & 0xFF);
		wave += static_cast<char>((v >> 8) & 0xFF);
	};
	put32(36 + data);
	wave += "WAVEfmt ";
	put32(16);
	put16(1);
	put16(1);
	put32(22050);
	put32(44100);
	put16(2);
	put16(16);
	wave += "data";
	put32(data);
	wave += std::string(bytes, '\0');
	writeFile(folder / "s.wav", wave);
}

void readChainedOgg(CGameEngine& engine)
{
	// The engine's working directory is its folder.
	(void)engine;
	const std::vector<char> file = fileBytes("s.ogg");
	audio::CMemorySource* source = new audio::CMemorySource(file.data(), static_cast<int>(file.size()));
	audio::COggDecoder* decoder = new audio::COggDecoder(source);
	source->drop();
	std::vector<char> pcm(65536);
	while (decoder->read(pcm.data(), static_cast<int>(pcm.size())) > 0)
	{
	}
	decoder->drop();
}

void writeChainedOgg(const std::filesystem::path& folder, size_t bytes)
{
	// Links of the shortest fixture, one after another: a chained stream.
	const std::vector<char> link = fileBytes(std::string(ORV_SOURCE_DIR) + "/tests/audio/fixtures/mono_440.ogg");
	std::string text;
	while (text.size() < bytes)
		text.append(link.data(), link.size());
	writeFile(folder / "s.ogg", text);
}

struct SCase
{
	const char* reader;
	const char* shape;
	//! The smaller input, in bytes; the larger is twice as large.
	size_t bytes;
	Writer write;
	Reader read;
};

const SCase CASES[] = {
	{"XML level", "an attribute of entities", 8 * MIB, writeEntityAttribute, readLevel},
	{"XML level", "a plain attribute", 32 * MIB, writePlainAttribute, readLevel},
	{"XML level", "a text of entities", 8 * MIB, writeEntityText, readLevel},
	{"XML level", "comments closed by the last", 1 * MIB, writeUnendedComments, readLevel},
	{"XML level", "a vector of many numbers", 16 * MIB, writeVectorText, readLevel},
	{"XML level", "attributes of one element", 4 * MIB, writeManyAttributes, readLevel},
	{"XML level", "objects", 2 * MIB, writeManyObjects, readLevel},
	{"XML level", "objects of new classes", 2 * MIB, writeManyClasses, readLevel},
	{"XML level", "shapes of a dynamic body", 1 * MIB, writeDynamicShapes, readLevel},
	{"tile data", "a map with spaces", 24 * MIB, writeSpacedTileData, readLevel},
	{"tile data", "many maps", 16 * MIB, writeManyTileMaps, readLevel},
	{"text level", "board lines", 4 * MIB, writeTextLevelBoards, readLevel},
	{"text level", "words and an open block", 2 * MIB, writeTextLevelWords, readLevel},
	{"blocking tiles", "the file", 4 * MIB, writeBlockingFile, readLevel},
	{"blocking tiles", "interlocking hooks", 4 * MIB, writeBlockingHooks, readLevel},
	{".gani", "one long frame line", 4 * MIB, writeGaniLongLine, readAnimation},
	{".gani", "frames", 4 * MIB, writeGaniFrames, readAnimation},
	{".gani", "a long set-back name", 4 * MIB, writeGaniSetBack, readAnimation},
	{".gani", "sprites of new images", 2 * MIB, writeGaniSpriteImages, readAnimation},
	{".gani", "sounds of new files", 2 * MIB, writeGaniSounds, readAnimation},
	{"string table", "entries", 8 * MIB, writeTableEntries, readStringTable},
	{"string table", "a text of entities", 8 * MIB, writeTableEntityText, readStringTable},
	{"class definitions", "classes", 1 * MIB, writeManyClassDefinitions, readClassDefinitions},
	{"class definitions", "attributes of a class", 4 * MIB, writeClassAttributes, readClassDefinitions},
	{"package description", "a text of entities", 8 * MIB, writePackageDescription, readPackage},
	{"package description", "texts between comments", 8 * MIB, writePackageTexts, readPackage},
	{"sound", "a WAVE file", 64 * MIB, writeWave, readSound},
	{"sound", "a chained Ogg stream", 4 * MIB, writeChainedOgg, readChainedOgg},
};

struct SFigures
{
	double seconds;
	double peakMiB;
};

const SFigures FAILED = {-1.0, -1.0};

SFigures measureOnce(const SCase& c, size_t bytes)
{
	// What the table printed so far must not be printed again by the child.
	std::fflush(stdout);
	return bench::inChild(
		[&]() {
			// The engine's and the libraries' own lines are not the table's.
			std::freopen("/dev/null", "w", stdout);
			std::freopen("/dev/null", "w", stderr);
			const rlimit space = {ADDRESS_SPACE_LIMIT, ADDRESS_SPACE_LIMIT};
			setrlimit(RLIMIT_AS, &space);
			alarm(TIME_LIMIT_SECONDS);
			// glibc raises the size from which it maps blocks of their own to
			// that of a mapped block freed, up to 32 MiB: below that, blocks of
			// one size of a case would reuse freed heap and those of the
			// other would not. A fixed size maps every large block alike.
			mallopt(M_MMAP_THRESHOLD, 1 << 20);
			bench::CFreshEngine fresh("readers");
			c.write(fresh.folder(), bytes);
			CGameEngine* engine = fresh.start();
			if (!engine)
				return FAILED;
			const long before = resetPeakKiB();
			const Clock::time_point start = Clock::now();
			c.read(*engine);
			const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
			const long peak = statusKiB("VmHWM:");
			return SFigures{seconds, std::max(0L, peak - before) / 1024.0};
		},
		FAILED);
}

SFigures measure(const SCase& c, size_t bytes)
{
	std::vector<double> seconds;
	std::vector<double> peaks;
	for (int round = 0; round < ROUNDS; ++round)
	{
		const SFigures figures = measureOnce(c, bytes);
		if (figures.seconds < 0)
			return FAILED;
		seconds.push_back(figures.seconds);
		peaks.push_back(figures.peakMiB);
	}
	std::sort(seconds.begin(), seconds.end());
	std::sort(peaks.begin(), peaks.end());
	return SFigures{seconds[ROUNDS / 2], peaks[ROUNDS / 2]};
}

double ratio(double larger, double smaller)
{
	// Below a millisecond or a MiB the ratio says more about the clock and
	// the heap than about the reader.
	return smaller > 0.0 ? larger / smaller : 0.0;
}

} // namespace

int main(int argc, char** argv)
{
	setenv("ALSOFT_DRIVERS", "null", 0);
	const char* only = argc > 1 ? argv[1] : nullptr;
	std::printf("%-20s %-30s %7s %9s %9s %7s %9s %9s %6s %6s\n", "reader", "shape", "input", "seconds", "peak MiB",
		"input", "seconds", "peak MiB", "time", "memory");
	for (const SCase& c : CASES)
	{
		if (only && !std::strstr(c.reader, only) && !std::strstr(c.shape, only))
			continue;
		const SFigures small = measure(c, c.bytes);
		const SFigures large = measure(c, 2 * c.bytes);
		if (small.seconds < 0 || large.seconds < 0)
		{
			std::printf("%-20s %-30s over %u s or out of memory at %zu or %zu MiB\n", c.reader, c.shape,
				TIME_LIMIT_SECONDS, c.bytes / MIB, 2 * c.bytes / MIB);
			continue;
		}
		std::printf("%-20s %-30s %4zu MiB %9.3f %9.1f %4zu MiB %9.3f %9.1f %6.2f %6.2f\n", c.reader, c.shape,
			c.bytes / MIB, small.seconds, small.peakMiB, 2 * c.bytes / MIB, large.seconds, large.peakMiB,
			ratio(large.seconds, small.seconds), ratio(large.peakMiB, small.peakMiB));
		std::fflush(stdout);
	}
	return 0;
}
