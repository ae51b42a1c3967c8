#pragma once
// Tables of script cases: each case is the body of a `void main()` that
// calls check(); every case runs in a fresh engine.

#include <cstddef>

namespace orv::test {

struct SScriptCase
{
	const char* Name;
	const char* Body;
};

// Script helpers every case body may call: near(a, b) for doubles within
// 1e-5, and at(v, x, y[, z]) for the four vector types.
extern const char* const ScriptCaseHelpers;

void runScriptCases(const SScriptCase* cases, std::size_t count);

template <std::size_t N> void runScriptCases(const SScriptCase (&cases)[N])
{
	runScriptCases(cases, N);
}

struct SScriptExceptionCase
{
	const char* Body;
	const char* Exception; // the text main() must end with
};

void runScriptExceptionCases(const SScriptExceptionCase* cases, std::size_t count);

template <std::size_t N> void runScriptExceptionCases(const SScriptExceptionCase (&cases)[N])
{
	runScriptExceptionCases(cases, N);
}

} // namespace orv::test
