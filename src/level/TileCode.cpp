#include "level/TileCode.h"

namespace orv {

namespace {

const irr::u32 BLOCK_TILES = 512; // 16 x 32 tiles a block
const irr::u32 BLOCK_COLUMNS = 16;

} // namespace

irr::s32 tileCodeValue(char c)
{
	if (c >= 'A' && c <= 'Z')
		return c - 'A';
	if (c >= 'a' && c <= 'z')
		return c - 'a' + 26;
	if (c >= '0' && c <= '9')
		return c - '0' + 52;
	switch (c)
	{
	case '+':
		return 62;
	case '/':
		return 63;
	case '=':
		return 64;
	default:
		return -1;
	}
}

irr::u32 tileNumber(char first, char second, bool* foreign)
{
	irr::s32 high = tileCodeValue(first);
	irr::s32 low = tileCodeValue(second);
	if (high < 0 || low < 0)
	{
		if (foreign)
			*foreign = true;
		if (high < 0)
			high = 0;
		if (low < 0)
			low = 0;
	}
	return static_cast<irr::u32>(high) * 64 + static_cast<irr::u32>(low);
}

STileCell tileCellOfNumber(irr::u32 number)
{
	// The largest number, "==", is 4160: column 128, row 4; both fit a byte.
	STileCell cell;
	cell.column = static_cast<irr::u8>((number / BLOCK_TILES) * BLOCK_COLUMNS + number % BLOCK_COLUMNS);
	cell.row = static_cast<irr::u8>((number % BLOCK_TILES) / BLOCK_COLUMNS);
	return cell;
}

bool appendTileCode(const char* code, size_t tileCount, std::vector<irr::u8>& tiles)
{
	bool foreign = false;
	for (size_t i = 0; i < tileCount; ++i)
	{
		const STileCell cell = tileCellOfNumber(tileNumber(code[2 * i], code[2 * i + 1], &foreign));
		tiles.push_back(cell.column);
		tiles.push_back(cell.row);
	}
	return !foreign;
}

} // namespace orv
