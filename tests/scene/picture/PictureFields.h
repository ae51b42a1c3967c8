#pragma once

#include <string>

#include <irrTypes.h>

// The fields of picture files made byte by byte in the picture tests.
namespace orv {
namespace test {

inline std::string le16(irr::u32 v)
{
	return {char(v & 0xFF), char(v >> 8 & 0xFF)};
}
inline std::string le32(irr::u32 v)
{
	return le16(v & 0xFFFF) + le16(v >> 16);
}
inline std::string be16(irr::u32 v)
{
	return {char(v >> 8 & 0xFF), char(v & 0xFF)};
}
inline std::string be32(irr::u32 v)
{
	return be16(v >> 16) + be16(v & 0xFFFF);
}

} // namespace test
} // namespace orv
