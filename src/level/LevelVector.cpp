#include "level/LevelVector.h"

#include <locale>
#include <sstream>
#include <vector>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

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
	std::vector<std::string> pieces;
	boost::split(pieces, text, boost::is_any_of(" ,"), boost::token_compress_on);
	irr::f32 values[2] = {0.0f, 0.0f};
	size_t taken = 0;
	for (const std::string& piece : pieces)
	{
		if (piece.empty())
			continue;
		values[taken++] = readFloat(piece);
		if (taken == 2)
			break;
	}
	if (copyXIntoZeroY && values[1] == 0.0f)
		values[1] = values[0];
	return irr::core::vector2df(values[0], values[1]);
}

} // namespace orv
