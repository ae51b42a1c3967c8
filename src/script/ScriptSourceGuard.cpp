#include "script/ScriptSourceGuard.h"

#include <cstring>

namespace orv::script {

namespace {

// The index just past the text that starts at `at` with `open` and ends with
// `close`, or the length when it never ends.
std::size_t skipPast(const char* code, std::size_t length, std::size_t at, std::size_t openLength,
	const char* close, bool escapes)
{
	const std::size_t closeLength = std::strlen(close);
	for (std::size_t i = at + openLength; i < length; ++i) {
		if (escapes && code[i] == '\\') {
			++i;
			continue;
		}
		if (length - i >= closeLength && std::memcmp(code + i, close, closeLength) == 0)
			return i + closeLength;
	}
	return length;
}

bool startsWith(const char* code, std::size_t length, std::size_t at, const char* text)
{
	const std::size_t n = std::strlen(text);
	return length - at >= n && std::memcmp(code + at, text, n) == 0;
}

} // namespace

irr::u32 measureBracketNesting(const char* code, std::size_t length)
{
	irr::u32 depth = 0;
	irr::u32 deepest = 0;
	std::size_t i = 0;
	while (i < length) {
		const char c = code[i];
		if (startsWith(code, length, i, "//")) {
			i = skipPast(code, length, i, 2, "\n", false);
		} else if (startsWith(code, length, i, "/*")) {
			i = skipPast(code, length, i, 2, "*/", false);
		} else if (startsWith(code, length, i, "\"\"\"")) {
			i = skipPast(code, length, i, 3, "\"\"\"", false);
		} else if (c == '"') {
			i = skipPast(code, length, i, 1, "\"", true);
		} else if (c == '\'') {
			i = skipPast(code, length, i, 1, "'", true);
		} else {
			if (c == '(' || c == '[' || c == '{') {
				if (++depth > deepest)
					deepest = depth;
			} else if ((c == ')' || c == ']' || c == '}') && depth > 0) {
				--depth;
			}
			++i;
		}
	}
	return deepest;
}

} // namespace orv::script
