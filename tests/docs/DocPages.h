#pragma once
// The pages of docs/ as a test reads them: their AngelScript examples, their
// tables and their prose, so that what the pages say can be checked against
// the client.

#include <string>
#include <vector>

namespace orv::test {

//! One fenced block marked `angelscript`.
struct SDocExample
{
	std::string Page; // "docs/script-api.md"
	int Line = 0;     // of the opening fence, from 1
	//! From a line `<!-- example: ... -->` just before the fence: "client",
	//! "class NAME" or "object"; empty for an example that is only built.
	std::string Role;
	std::string Code;
	//! The texts of its `// logs: ...` comments: a console line must begin
	//! "script: <text>" for each when the example runs.
	std::vector<std::string> Logs;

	std::string where() const { return Page + ":" + std::to_string(Line); }
};

//! The bytes of a file of the repository ("docs/script-api.md").
std::string readRepositoryFile(const std::string& name);

//! The Markdown pages of docs/, as names relative to the repository.
std::vector<std::string> docPages();

//! Every `angelscript` block of the page, in order.
std::vector<SDocExample> examplesOf(const std::string& page);

//! The rows of the first table below the heading (the line starting with
//! `heading`), each a list of cells with their outer spaces and backticks
//! taken off; the header row first, the separator row left out.
std::vector<std::vector<std::string>> tableBelow(const std::string& page, const std::string& heading);

} // namespace orv::test
