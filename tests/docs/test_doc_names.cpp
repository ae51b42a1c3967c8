// The names the docs' prose gives a script (in `code` spans) exist in the
// client's registrations, as the generated reference of docs/script-api.md
// lists them; a test of the tools keeps that reference current.

#include <cctype>
#include <regex>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "DocPages.h"

namespace orv::test {
namespace {

const char* const REFERENCE_HEADING = "# Reference";

// Words of the language itself, and the callbacks a script defines.
const std::set<std::string> LANGUAGE = {"bool", "cast", "const", "double", "false", "float", "funcdef", "in", "inout",
	"int", "int64", "is", "null", "out", "return", "true", "uint", "uint64", "void", "Update", "Created",
	"OnBeginContact", "OnEndContact", "OnSolveContact", "OnPlayerEntersLevel", "OnKeyPress", "OnMouseMove",
	"OnMouseDown", "OnMouseUp", "OnMouseWheel", "OnEvent"};

std::set<std::string> registeredNames()
{
	const std::string page = readRepositoryFile("docs/script-api.md");
	const size_t reference = page.find("\n" + std::string(REFERENCE_HEADING) + "\n");
	EXPECT_NE(reference, std::string::npos);
	std::set<std::string> names;
	const std::regex identifier("[A-Za-z_][A-Za-z0-9_]*");
	std::istringstream in(page.substr(reference));
	for (std::string line; std::getline(in, line);)
	{
		// Headings name types; list items and table cells hold declarations
		// and enum values: every identifier in them is a registered name, a
		// type or a parameter, all of which a script may write.
		if (line.rfind("### ", 0) != 0 && line.rfind("- `", 0) != 0 && line.rfind("| `", 0) != 0)
			continue;
		for (std::sregex_iterator it(line.begin(), line.end(), identifier), end; it != end; ++it)
			names.insert(it->str());
	}
	return names;
}

// The prose of a page: for script-api.md what lies above the reference.
std::string proseOf(const std::string& page)
{
	std::string text = readRepositoryFile(page);
	const size_t reference = text.find("\n" + std::string(REFERENCE_HEADING) + "\n");
	if (reference != std::string::npos)
		text.erase(reference);
	// Code blocks are built by the examples' test; only inline spans here.
	std::string prose;
	bool inBlock = false;
	std::istringstream in(text);
	for (std::string line; std::getline(in, line);)
	{
		if (line.find("```") != std::string::npos)
			inBlock = !inBlock;
		else if (!inBlock)
			prose += line + "\n";
	}
	return prose;
}

// The names a code span uses as a script would: the members after a dot,
// the functions it calls and a capitalised name before a dot (a global or a
// type). Plain words in backticks (XML elements, parameters) are not names.
std::vector<std::string> scriptNamesIn(const std::string& span, bool singleNames)
{
	std::vector<std::string> names;
	// A span of one name: snake_case, a constant or a capitalised name is a
	// script's name (`load_level`, `KEY_UP`, `Player`); a plain lower-case
	// word is a parameter or an element.
	static const std::regex single("([A-Za-z_][A-Za-z0-9_]*)@?");
	std::smatch whole;
	if (singleNames && std::regex_match(span, whole, single))
	{
		const std::string name = whole[1].str();
		if (name.find('_') != std::string::npos || std::isupper(static_cast<unsigned char>(name[0])))
			names.push_back(name);
		return names;
	}
	const std::regex used("(\\.)?([A-Za-z_][A-Za-z0-9_]*)(\\()?");
	for (std::sregex_iterator it(span.begin(), span.end(), used), end; it != end; ++it)
	{
		const std::string name = (*it)[2].str();
		const size_t after = static_cast<size_t>(it->position(2)) + name.size();
		const bool member = (*it)[1].matched;
		const bool called = (*it)[3].matched;
		const bool qualifier = after < span.size() && span[after] == '.' &&
			std::isupper(static_cast<unsigned char>(name[0]));
		if (member || called || qualifier)
			names.push_back(name);
	}
	return names;
}

TEST(DocNames, EveryScriptNameTheProseUsesIsRegistered)
{
	const std::set<std::string> registered = registeredNames();
	ASSERT_GT(registered.size(), 100u);
	const std::regex codeSpan("`([^`\\n]+)`");
	const std::regex fileName("\\.(xml|as|gani|png|jpg|bmp|tga|ogg|wav|raw|mp3|nw|txt|zip|ini|irrst|ttf|md)\\b");
	for (const std::string& page : docPages())
	{
		const std::string prose = proseOf(page);
		for (std::sregex_iterator it(prose.begin(), prose.end(), codeSpan), end; it != end; ++it)
		{
			const std::string span = (*it)[1].str();
			// Not script: console lines (`script: ...`, `[Error] ...`), paths,
			// file names and XML (`level.xml`, `<script file="..."/>`).
			if (span.find(": ") != std::string::npos || span[0] == '[' || span.find('/') != std::string::npos ||
				span.find('<') != std::string::npos || std::regex_search(span, fileName))
				continue;
			for (const std::string& name : scriptNamesIn(span, page == "docs/script-api.md"))
				EXPECT_TRUE(registered.count(name) || LANGUAGE.count(name))
					<< page << ": `" << span << "` names " << name << ", which the client does not register";
		}
	}
}

} // namespace
} // namespace orv::test
