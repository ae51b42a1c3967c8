#pragma once
// Small pictures made in the test, in a format every Irrlicht driver loads,
// and the pictures a test takes of the screen.

#include <functional>
#include <string>

namespace orv::test {

struct SRgb
{
	int r, g, b;
};

//! A screenshot: 8-bit RGB, rows top down.
struct SScreenshot
{
	int width = 0;
	int height = 0;
	std::string rgb;

	bool empty() const { return rgb.size() < static_cast<size_t>(width) * height * 3 || width <= 0; }
	SRgb at(int x, int y) const
	{
		const size_t i = (static_cast<size_t>(y) * width + x) * 3;
		return {static_cast<unsigned char>(rgb[i]), static_cast<unsigned char>(rgb[i + 1]),
			static_cast<unsigned char>(rgb[i + 2])};
	}
};

//! An uncompressed 32-bit TGA, top row first, each pixel's colour and alpha
//! (0 to 255) as the functions give them.
std::string tga(int width, int height, const std::function<SRgb(int x, int y)>& colour,
	const std::function<int(int x, int y)>& alpha);

//! An uncompressed 32-bit TGA, fully opaque, top row first: its left half in
//! one colour, its right half in another.
std::string solidTga(int width, int height, SRgb left, SRgb right);

//! Whether two colours match within what the software renderer keeps of a
//! channel.
bool nearColour(SRgb seen, SRgb expected);

} // namespace orv::test
