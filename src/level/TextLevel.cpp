#include "level/TextLevel.h"

#include <cstring>
#include <string>
#include <utility>

#include "base/LeadingInteger.h"
#include "level/TileCode.h"
#include "scene/ContentPath.h"
#include "world/CTiledSceneObject.h"

namespace orv {

namespace {

const char MAGIC_LINE[] = "GLEVNW01";
const char UTF8_BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";
const size_t BOARD_WORDS = 6;

//! A piece of the file's text; never owns it.
struct SPiece
{
	const char* text;
	size_t size;

	bool is(const char* word) const { return size == std::strlen(word) && std::memcmp(text, word, size) == 0; }
};

//! Cuts the text into lines, each carriage return and each line feed ending one.
class CLineReader
{
public:
	CLineReader(const char* text, size_t size) : Text(text), Size(size) {}

	bool next(SPiece& line)
	{
		// A break at the very end leaves no line behind it; an empty text is one empty line.
		if (Position > Size || (Position == Size && Size != 0))
			return false;
		size_t end = Position;
		while (end < Size && Text[end] != '\r' && Text[end] != '\n')
			++end;
		line = SPiece{Text + Position, end - Position};
		Position = end + 1;
		return true;
	}

private:
	const char* Text;
	size_t Size;
	size_t Position = 0;
};

//! Words split at every single space; two spaces in a row give an empty one.
size_t splitWords(const SPiece& line, SPiece* words, size_t maxWords)
{
	size_t count = 0;
	size_t start = 0;
	for (size_t i = 0; i <= line.size; ++i)
	{
		if (i < line.size && line.text[i] != ' ')
			continue;
		if (count < maxWords)
			words[count] = SPiece{line.text + start, i - start};
		++count;
		start = i + 1;
	}
	return count;
}

irr::s32 numberOf(const SPiece& word)
{
	return readLeadingInteger(word.text, word.size);
}

void applyBoardLine(const SPiece* words, std::vector<irr::u8>& tiles)
{
	const irr::s32 x = numberOf(words[1]);
	const irr::s32 y = numberOf(words[2]);
	const irr::s32 count = numberOf(words[3]);
	const SPiece& code = words[5]; // words[4] is the layer, which the client does not use
	const irr::s32 size = static_cast<irr::s32>(TEXT_LEVEL_BOARD_SIZE);
	// Written so that nothing can overflow: count is compared with what is
	// left of the row, the code's length in size_t.
	if (x < 0 || x > size || y < 0 || y >= size || count <= 0 || count > size - x ||
		code.size / 2 < static_cast<size_t>(count))
		return;
	for (irr::s32 j = 0; j < count; ++j)
	{
		const STileCell cell = tileCellOfNumber(tileNumber(code.text[2 * j], code.text[2 * j + 1]));
		const size_t at = 2 * (static_cast<size_t>(y) * TEXT_LEVEL_BOARD_SIZE + static_cast<size_t>(x + j));
		tiles[at] = cell.column;
		tiles[at + 1] = cell.row;
	}
}

//! Skips the lines of a block up to and including its end line, or to the end.
void skipBlock(CLineReader& lines, const char* endLine)
{
	SPiece line;
	while (lines.next(line))
		if (line.is(endLine))
			return;
}

} // namespace

bool readTextLevel(const char* text, size_t size, std::vector<irr::u8>& tiles)
{
	const size_t markSize = sizeof(UTF8_BYTE_ORDER_MARK) - 1;
	if (size >= markSize && std::memcmp(text, UTF8_BYTE_ORDER_MARK, markSize) == 0)
	{
		text += markSize;
		size -= markSize;
	}
	CLineReader lines(text, size);
	SPiece line;
	if (!lines.next(line) || !line.is(MAGIC_LINE))
		return false;

	std::vector<irr::u8> board(TEXT_LEVEL_BOARD_SIZE * TEXT_LEVEL_BOARD_SIZE * 2, 0);
	SPiece words[BOARD_WORDS];
	while (lines.next(line))
	{
		const size_t count = splitWords(line, words, BOARD_WORDS);
		const SPiece& first = words[0];
		if (first.is("BOARD"))
		{
			if (count == BOARD_WORDS)
				applyBoardLine(words, board);
		}
		else if (first.is("NPC"))
		{
			skipBlock(lines, "NPCEND");
		}
		else if (first.is("SIGN"))
		{
			skipBlock(lines, "SIGNEND");
		}
		else if (first.is("BADDY"))
		{
			skipBlock(lines, "BADDYEND");
		}
	}
	tiles.swap(board);
	return true;
}

void loadTextLevel(CTiledSceneObject& object, irr::io::IFileSystem* fileSystem, const irr::core::ustring16& path)
{
	std::string bytes;
	if (!readContentFile(fileSystem, path, bytes, MAX_TEXT_LEVEL_FILE_SIZE))
		return;
	std::vector<irr::u8> tiles;
	if (!readTextLevel(bytes.data(), bytes.size(), tiles))
		return;
	if (object.setTiles(std::move(tiles)))
		object.setMapSize(TEXT_LEVEL_BOARD_SIZE, TEXT_LEVEL_BOARD_SIZE);
}

} // namespace orv
