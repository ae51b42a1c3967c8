#include "support/TestPictures.h"

#include <cstdlib>

namespace orv::test {

std::string tga(int width, int height, const std::function<SRgb(int x, int y)>& colour,
	const std::function<int(int x, int y)>& alpha)
{
	std::string bytes(18, '\0');
	bytes[2] = 2;
	bytes[12] = static_cast<char>(width & 0xFF);
	bytes[13] = static_cast<char>(width >> 8);
	bytes[14] = static_cast<char>(height & 0xFF);
	bytes[15] = static_cast<char>(height >> 8);
	bytes[16] = 32;
	bytes[17] = 0x28; // top-left origin, 8 alpha bits
	for (int y = 0; y < height; ++y)
		for (int x = 0; x < width; ++x)
		{
			const SRgb c = colour(x, y);
			bytes += static_cast<char>(c.b);
			bytes += static_cast<char>(c.g);
			bytes += static_cast<char>(c.r);
			bytes += static_cast<char>(alpha(x, y));
		}
	return bytes;
}

std::string solidTga(int width, int height, SRgb left, SRgb right)
{
	return tga(
		width, height, [&](int x, int) { return x < width / 2 ? left : right; }, [](int, int) { return 0xFF; });
}

bool nearColour(SRgb seen, SRgb expected)
{
	return std::abs(seen.r - expected.r) < 16 && std::abs(seen.g - expected.g) < 16 &&
		std::abs(seen.b - expected.b) < 16;
}

} // namespace orv::test
