#include "level/LevelVector.h"

#include <locale>
#include <sstream>

namespace orv {

namespace {

irr::f32 readFloat(const std::string& piece)
{
	std::istringstream in(piece);
	in.imbue(std::locale::classic());
	irr::f32 value = 0.0f;
	// A failed read stores 0; one past the float range stores its largest value.
	in >> value;
	return value;
}

} // namespace

irr::core::vector2df parseVector2df(const std::string& text, bool copyXIntoZeroY)
{
	// Only the first two pieces are looked at: a text of a million numbers
	// costs no more than one of two.
	irr::f32 values[2] = {0.0f, 0.0f};
	const char* const separators = " ,";
	size_t begin = text.find_first_not_of(separators);
	for (size_t taken = 0; taken < 2 && begin != std::string::npos; ++taken)
	{
		const size_t end = text.find_first_of(separators, begin);
		values[taken] = readFloat(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
		begin = end == std::string::npos ? end : text.find_first_not_of(separators, end);
	}
	if (copyXIntoZeroY && values[1] == 0.0f)
		values[1] = values[0];
	return irr::core::vector2df(values[0], values[1]);
}

} // namespace orv
