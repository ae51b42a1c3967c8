// The level formats as pure functions: the tile code, vector texts and text
// levels. Every case runs under the sanitizers, so a count or an index that
// slips past its bounds fails the run.

#include <cfloat>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "level/LevelVector.h"
#include "support/AllocationCount.h"
#include "level/TextLevel.h"
#include "level/TileCode.h"

using namespace orv;

TEST(TileCode, TwoCharactersNameATilesetCell)
{
	struct Case
	{
		const char* code;
		irr::u32 number;
		irr::u8 column;
		irr::u8 row;
	};
	const Case cases[] = {
		{"AA", 0, 0, 0},
		{"AQ", 16, 0, 1},
		{"AP", 15, 15, 0},
		{"IA", 512, 16, 0},
		{"//", 4095, 127, 31},
		{"Ba", 90, 10, 5},
		{"==", 4160, 128, 4},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.code);
		bool foreign = false;
		const irr::u32 number = tileNumber(c.code[0], c.code[1], &foreign);
		EXPECT_EQ(number, c.number);
		EXPECT_FALSE(foreign);
		const STileCell cell = tileCellOfNumber(number);
		EXPECT_EQ(cell.column, c.column);
		EXPECT_EQ(cell.row, c.row);
	}
}

TEST(TileCode, AlphabetValuesAndForeignCharacters)
{
	const std::pair<char, irr::s32> values[] = {{'A', 0}, {'Z', 25}, {'a', 26}, {'z', 51}, {'0', 52}, {'9', 61},
		{'+', 62}, {'/', 63}, {'=', 64}, {'!', -1}, {' ', -1}, {'\0', -1}, {'\xC3', -1}};
	for (const auto& v : values)
		EXPECT_EQ(tileCodeValue(v.first), v.second) << int(static_cast<unsigned char>(v.first));

	bool foreign = false;
	EXPECT_EQ(tileNumber('!', 'Q', &foreign), 16u);
	EXPECT_TRUE(foreign);

	std::vector<irr::u8> tiles;
	EXPECT_TRUE(appendTileCode("AQIA", 2, tiles));
	EXPECT_EQ(tiles, (std::vector<irr::u8>{0, 1, 16, 0}));
	EXPECT_FALSE(appendTileCode("A?", 1, tiles));
	EXPECT_EQ(tiles.size(), 6u);
	EXPECT_EQ(tiles[4], 0);
	EXPECT_EQ(tiles[5], 0);
}

TEST(LevelVector, PiecesSplitAtSpacesAndCommas)
{
	struct Case
	{
		const char* text;
		bool copyXIntoZeroY;
		float x;
		float y;
	};
	const Case cases[] = {
		{"", false, 0, 0},
		{"2", false, 2, 0},
		{"2", true, 2, 2},
		{"2 3", true, 2, 3},
		{"2,0", true, 2, 2},
		{"0,3", true, 0, 3},
		{" 1.5 ,, -2 ", false, 1.5f, -2},
		{"1 2 3", false, 1, 2},
		{"abc 4", false, 0, 4},
		{"1.5abc,2", false, 1.5f, 2},
		{"1,5", false, 1, 5},
		{"1e39 -1e39", false, FLT_MAX, -FLT_MAX},
		{"\t7 8", false, 7, 8},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.text);
		const irr::core::vector2df v = parseVector2df(c.text, c.copyXIntoZeroY);
		EXPECT_EQ(v.X, c.x);
		EXPECT_EQ(v.Y, c.y);
	}
}

namespace {

const std::string MAGIC = "GLEVNW01\n";

std::string repeat(const std::string& piece, size_t times)
{
	std::string out;
	for (size_t i = 0; i < times; ++i)
		out += piece;
	return out;
}

//! A cell of the board and the tileset cell it must show.
typedef std::tuple<int, int, int, int> Cell; // x, y, tileset column, tileset row

size_t nonZeroCells(const std::vector<irr::u8>& tiles)
{
	size_t n = 0;
	for (size_t i = 0; i < tiles.size(); i += 2)
		n += tiles[i] != 0 || tiles[i + 1] != 0;
	return n;
}

} // namespace

TEST(TextLevel, BoardLines)
{
	const std::string row128 = repeat("AQ", 64);
	struct Case
	{
		const char* name;
		std::string text;
		size_t changed;          // cells showing another tile than (0, 0)
		std::vector<Cell> cells; // some of them, checked one by one
	};
	const Case cases[] = {
		{"only the magic line", "GLEVNW01", 0, {}},
		{"a whole first row", MAGIC + "BOARD 0 0 64 0 " + row128, 64, {{0, 0, 0, 1}, {63, 0, 0, 1}}},
		{"the last four of a row", MAGIC + "BOARD 60 5 4 0 AQAQAQIA", 4, {{60, 5, 0, 1}, {63, 5, 16, 0}}},
		{"past the row's end", MAGIC + "BOARD 60 5 8 0 " + repeat("AQ", 8), 0, {}},
		{"the last row", MAGIC + "BOARD 0 63 1 0 //", 1, {{0, 63, 127, 31}}},
		{"a row past the board", MAGIC + "BOARD 0 64 1 0 AQ", 0, {}},
		{"x at the board's edge", MAGIC + "BOARD 64 0 1 0 AQ", 0, {}},
		{"a negative x", MAGIC + "BOARD -1 0 2 0 AQAQ", 0, {}},
		{"a negative y", MAGIC + "BOARD 0 -1 1 0 AQ", 0, {}},
		{"no count", MAGIC + "BOARD 0 0 0 0 AQ", 0, {}},
		{"a code too short", MAGIC + "BOARD 0 0 3 0 AQAQA", 0, {}},
		{"a code too long", MAGIC + "BOARD 0 0 1 0 AQIA", 1, {{0, 0, 0, 1}, {1, 0, 0, 0}}},
		{"two spaces give seven words", MAGIC + "BOARD 0  0 1 0 AQ", 0, {}},
		{"five words", MAGIC + "BOARD 0 0 1 AQ", 0, {}},
		{"a count that would overflow x + count", MAGIC + "BOARD 1 0 2147483647 0 AQ", 0, {}},
		{"an x that would overflow x + count", MAGIC + "BOARD 2147483647 0 1 0 AQ", 0, {}},
		{"the most negative count", MAGIC + "BOARD 0 0 -2147483648 0 AQ", 0, {}},
		{"numbers past the 32-bit range", MAGIC + "BOARD 0 0 99999999999 0 AQ", 0, {}},
		{"numbers read up to their first other character", MAGIC + "BOARD 2x 3y 1z 0 AQ", 1, {{2, 3, 0, 1}}},
		{"a later line overwrites", MAGIC + "BOARD 0 0 2 0 AQAQ\nBOARD 1 0 1 0 IA", 2, {{0, 0, 0, 1}, {1, 0, 16, 0}}},
		{"characters outside the code read as 0", MAGIC + "BOARD 0 0 1 0 !Q", 1, {{0, 0, 0, 1}}},
		{"lines inside an NPC block are skipped", MAGIC + "NPC x 1 2\nBOARD 0 0 1 0 AQ\nNPCEND\nBOARD 1 0 1 0 AQ", 1,
			{{0, 0, 0, 0}, {1, 0, 0, 1}}},
		{"an NPC block without its end runs to the end", MAGIC + "NPC\nBOARD 0 0 1 0 AQ", 0, {}},
		{"SIGN and BADDY blocks",
			MAGIC +
				"SIGN 1\nBOARD 0 0 1 0 AQ\nSIGNEND\nBADDY\nBOARD 1 0 1 0 AQ\nBADDYEND\n"
				"BOARD 2 0 1 0 AQ",
			1, {{2, 0, 0, 1}}},
		{"other lines are skipped", MAGIC + "CHEST 1 2\nLINK x\n\nboard 0 0 1 0 AQ\n BOARD 0 0 1 0 AQ", 0, {}},
		{"a byte-order mark before the magic line", "\xEF\xBB\xBF" + MAGIC + "BOARD 0 0 1 0 AQ", 1, {{0, 0, 0, 1}}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		std::vector<irr::u8> tiles;
		ASSERT_TRUE(readTextLevel(c.text.data(), c.text.size(), tiles));
		ASSERT_EQ(tiles.size(), 64u * 64u * 2u);
		EXPECT_EQ(nonZeroCells(tiles), c.changed);
		for (const Cell& cell : c.cells)
		{
			const size_t at = 2 * (std::get<1>(cell) * 64 + std::get<0>(cell));
			EXPECT_EQ(tiles[at], std::get<2>(cell)) << "column of " << std::get<0>(cell) << "," << std::get<1>(cell);
			EXPECT_EQ(tiles[at + 1], std::get<3>(cell)) << "row of " << std::get<0>(cell) << "," << std::get<1>(cell);
		}
	}
}

TEST(TextLevel, FilesWithoutTheMagicLineChangeNothing)
{
	const std::string texts[] = {"", "GLEVNW01 ", " GLEVNW01", "GLEVNW0", "GLEVNW02\nBOARD 0 0 1 0 AQ", "\nGLEVNW01",
		std::string("GLEVNW01\0", 9)};
	for (const std::string& text : texts)
	{
		std::vector<irr::u8> tiles{7, 7};
		EXPECT_FALSE(readTextLevel(text.data(), text.size(), tiles)) << text;
		EXPECT_EQ(tiles, (std::vector<irr::u8>{7, 7}));
	}
}

TEST(TextLevel, LineEndsReadAlike)
{
	const std::vector<std::string> lines = {
		"GLEVNW01", "BOARD 0 0 2 0 AQIA", "NPC a", "BOARD 0 1 1 0 AQ", "NPCEND", "BOARD 5 9 1 0 //"};
	const char* const ends[] = {"\n", "\r", "\r\n"};
	std::vector<std::vector<irr::u8>> boards;
	for (const char* end : ends)
	{
		std::string text;
		for (const std::string& line : lines)
			text += line + end;
		std::vector<irr::u8> tiles;
		ASSERT_TRUE(readTextLevel(text.data(), text.size(), tiles)) << "line end " << int(end[0]);
		boards.push_back(tiles);
	}
	EXPECT_EQ(nonZeroCells(boards[0]), 3u);
	EXPECT_EQ(boards[1], boards[0]);
	EXPECT_EQ(boards[2], boards[0]);
}

namespace orv {
namespace {

// A vector text of a million numbers: only its first two are read, and the
// text is not cut into pieces first.
TEST(LevelVector, AMillionNumbersCostNoMoreThanTheirText)
{
	std::string text;
	for (int i = 0; i < 1000000; ++i)
		text += "3 ";
	const size_t before = test::allocatedBytes();
	const irr::core::vector2df v = parseVector2df(text);
	EXPECT_LT(test::allocatedBytes() - before, 1024u);
	EXPECT_EQ(v.X, 3.0f);
	EXPECT_EQ(v.Y, 3.0f);
}

} // namespace
} // namespace orv
