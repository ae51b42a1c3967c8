#include "DocPages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace orv::test {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
	std::vector<std::string> lines;
	std::istringstream in(text);
	for (std::string line; std::getline(in, line);)
		lines.push_back(line);
	return lines;
}

std::string trimmed(const std::string& text, const char* strip = " \t`")
{
	const size_t first = text.find_first_not_of(strip);
	if (first == std::string::npos)
		return "";
	return text.substr(first, text.find_last_not_of(strip) - first + 1);
}

bool startsWith(const std::string& text, const std::string& start)
{
	return text.compare(0, start.size(), start) == 0;
}

} // namespace

std::string readRepositoryFile(const std::string& name)
{
	std::ifstream in(fs::path(ORV_SOURCE_DIR) / name, std::ios::binary);
	std::ostringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

std::vector<std::string> docPages()
{
	std::vector<std::string> pages;
	for (const auto& entry : fs::directory_iterator(fs::path(ORV_SOURCE_DIR) / "docs"))
		if (entry.path().extension() == ".md")
			pages.push_back("docs/" + entry.path().filename().string());
	std::sort(pages.begin(), pages.end());
	return pages;
}

std::vector<SDocExample> examplesOf(const std::string& page)
{
	const std::vector<std::string> lines = linesOf(readRepositoryFile(page));
	std::vector<SDocExample> examples;
	const std::string marker = "<!-- example:";
	for (size_t i = 0; i < lines.size(); ++i)
	{
		const std::string fence = trimmed(lines[i], " \t");
		if (!startsWith(fence, "```"))
			continue;
		const std::string info = trimmed(fence.substr(3), " \t");
		size_t end = i + 1;
		while (end < lines.size() && !startsWith(trimmed(lines[end], " \t"), "```"))
			++end;
		if (info == "angelscript")
		{
			SDocExample example;
			example.Page = page;
			example.Line = static_cast<int>(i + 1);
			if (i > 0 && startsWith(trimmed(lines[i - 1], " \t"), marker))
			{
				const std::string comment = trimmed(lines[i - 1], " \t");
				example.Role = trimmed(comment.substr(marker.size(), comment.size() - marker.size() - 3), " ");
			}
			for (size_t k = i + 1; k < end; ++k)
			{
				example.Code += lines[k] + "\n";
				const size_t logs = lines[k].find("// logs: ");
				if (logs != std::string::npos)
					example.Logs.push_back(trimmed(lines[k].substr(logs + 9), " \t"));
			}
			examples.push_back(example);
		}
		i = end;
	}
	return examples;
}

std::vector<std::vector<std::string>> tableBelow(const std::string& page, const std::string& heading)
{
	const std::vector<std::string> lines = linesOf(readRepositoryFile(page));
	std::vector<std::vector<std::string>> rows;
	size_t i = 0;
	while (i < lines.size() && !startsWith(lines[i], heading))
		++i;
	while (i < lines.size() && !startsWith(lines[i], "|"))
		++i;
	for (; i < lines.size() && startsWith(lines[i], "|"); ++i)
	{
		std::vector<std::string> cells;
		std::string cell;
		std::istringstream in(lines[i].substr(1));
		while (std::getline(in, cell, '|'))
			cells.push_back(trimmed(cell));
		if (!cells.empty() && startsWith(cells[0], "---"))
			continue;
		rows.push_back(cells);
	}
	return rows;
}

} // namespace orv::test
