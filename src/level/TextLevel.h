#pragma once

// Text levels: the old line-oriented format whose 64 x 64 board of tiles, in
// the tile code, can fill a tiled object's map. Only "BOARD" lines are read;
// every other line, and the NPC, SIGN and BADDY blocks, are skipped.

#include <cstddef>
#include <vector>

#include <irrTypes.h>

#include "base/ustring16.h"

namespace irr {
namespace io {
class IFileSystem;
}
} // namespace irr

namespace orv {

class CTiledSceneObject;

//! Columns and rows of a text level's board.
const irr::u32 TEXT_LEVEL_BOARD_SIZE = 64;
//! Larger files are not read: a board with every kind of line is a few
//! hundred kilobytes at most.
const size_t MAX_TEXT_LEVEL_FILE_SIZE = 16u << 20;

//! The board of a text level's bytes: 64 x 64 tiles, two bytes each, row by
//! row, tiles no line sets at tileset cell (0, 0). False, with `tiles` left
//! alone, when the first line is not exactly "GLEVNW01" (a UTF-8 byte-order
//! mark before it is skipped). A carriage return and a line feed each end a
//! line. Characters outside the tile code read as 0.
bool readTextLevel(const char* text, size_t size, std::vector<irr::u8>& tiles);

//! Makes the tiled object's map the board of the text level file (64 x 64).
//! A file that does not open, is empty or is no text level changes nothing;
//! nothing is logged.
void loadTextLevel(CTiledSceneObject& object, irr::io::IFileSystem* fileSystem, const irr::core::ustring16& path);

} // namespace orv
