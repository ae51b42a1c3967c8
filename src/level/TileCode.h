#pragma once

// The tile code: the text form of a tile map that XML levels and text levels
// share. Two characters a tile, each worth its place in the Base64 alphabet;
// the tile number picks a cell of a tileset laid out in blocks 16 tiles wide
// and 32 high, placed side by side.

#include <cstddef>
#include <vector>

#include <irrTypes.h>

namespace orv {

//! A cell of the tileset: the two bytes a tile map stores for one tile.
struct STileCell
{
	irr::u8 column;
	irr::u8 row;
};

//! 'A'-'Z' 0-25, 'a'-'z' 26-51, '0'-'9' 52-61, '+' 62, '/' 63, '=' 64; -1
//! for every other character.
irr::s32 tileCodeValue(char c);

//! First value times 64 plus the second; a character outside the alphabet
//! counts 0 and sets *foreign when given.
irr::u32 tileNumber(char first, char second, bool* foreign = nullptr);

//! Column (number div 512) * 16 + (number mod 16), row (number mod 512) div 16.
STileCell tileCellOfNumber(irr::u32 number);

//! Appends the column and row bytes of every character pair of the code
//! (2 * tileCount characters). True when every character was of the alphabet.
bool appendTileCode(const char* code, size_t tileCount, std::vector<irr::u8>& tiles);

} // namespace orv
