#pragma once

#include <string>

#include <vector2d.h>

namespace orv {

//! A level's vector text: pieces split at spaces and commas, empty ones
//! dropped, the first read as x and the second as y in the classic locale.
//! A missing piece, or one that does not begin with a number, gives 0;
//! further pieces are ignored. With copyXIntoZeroY a y of 0 becomes x (a
//! single number gives a square).
irr::core::vector2df parseVector2df(const std::string& text, bool copyXIntoZeroY = false);

} // namespace orv
