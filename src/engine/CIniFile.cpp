#include "engine/CIniFile.h"

#include <string>

#include "base/LeadingInteger.h"
#include "engine/CFileBuffer.h"

namespace orv {

using irr::core::ustring16;

namespace {

bool isTrimmed(char16_t c)
{
	return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

std::u16string trimmed(const std::u16string& text, size_t begin, size_t end)
{
	while (begin < end && isTrimmed(text[begin]))
		++begin;
	while (end > begin && isTrimmed(text[end - 1]))
		--end;
	return text.substr(begin, end - begin);
}

// A line break inside a name or value would split it into two lines of the
// file and change what the next parse reads.
void appendOneLine(std::string& out, const ustring16& text)
{
	const std::string::size_type start = out.size();
	out += text.toUTF8_std();
	for (std::string::size_type i = start; i < out.size(); ++i)
		if (out[i] == '\r' || out[i] == '\n')
			out[i] = ' ';
}

// A line of remarks rather than settings: one that says so by its first
// character, or one that sets nothing. Kept as a line of its own, it keeps
// its place, and two of them do not become one value of the empty key.
bool isComment(const std::u16string& line)
{
	return line.front() == u';' || line.front() == u'#' || line.find(u'=') == std::u16string::npos;
}

} // namespace

bool CIniSection::has(const ustring16& key) const
{
	return Values.count(key) != 0;
}

ustring16 CIniSection::get(const ustring16& key) const
{
	const auto found = Values.find(key);
	return found == Values.end() ? ustring16() : found->second;
}

void CIniSection::set(const ustring16& key, const ustring16& value)
{
	const auto found = Values.find(key);
	if (found != Values.end())
	{
		found->second = value;
		return;
	}
	Values.emplace(key, value);
	Lines.push_back({key, false});
}

void CIniSection::addComment(const ustring16& line)
{
	Lines.push_back({line, true});
}

irr::s32 CIniSection::getNumber(const ustring16& key) const
{
	return readLeadingInteger(get(key));
}

void CIniSection::setNumber(const ustring16& key, irr::s32 number)
{
	set(key, ustring16(std::to_string(number)));
}

void CIniFile::parse(const CFileBuffer& buffer)
{
	ustring16 text;
	if (buffer.getSize())
		text.loadDataStream(reinterpret_cast<const char*>(buffer.getBytes().data()), buffer.getSize());
	parseText(text);
}

void CIniFile::parseText(const ustring16& text)
{
	const std::u16string units(text.toUTF16_std());
	std::unique_ptr<CIniSection> reading;
	size_t lineStart = 0;
	while (lineStart < units.size())
	{
		size_t lineEnd = units.find_first_of(u"\r\n", lineStart);
		if (lineEnd == std::u16string::npos)
			lineEnd = units.size();
		const std::u16string line = trimmed(units, lineStart, lineEnd);
		lineStart = lineEnd + 1;
		if (line.empty())
			continue;
		if (line.front() == u'[' && line.back() == u']')
		{
			if (reading)
				enter(std::move(reading));
			reading.reset(new CIniSection(ustring16(line.substr(1, line.size() > 2 ? line.size() - 2 : 0))));
			continue;
		}
		if (!reading)
			Preamble.push_back(ustring16(line));
		else if (isComment(line))
			reading->addComment(ustring16(line));
		else
		{
			const size_t equals = line.find(u'=');
			reading->set(ustring16(trimmed(line, 0, equals)), ustring16(trimmed(line, equals + 1, line.size())));
		}
	}
	if (reading)
		enter(std::move(reading));
}

void CIniFile::enter(std::unique_ptr<CIniSection> section)
{
	CIniSection* entered = section.get();
	Storage.push_back(std::move(section));
	Sections[entered->getName()] = entered;
	SectionOrder.push_back(entered);
}

std::vector<irr::u8> CIniFile::compose() const
{
	std::string text;
	for (const ustring16& line : Preamble)
	{
		appendOneLine(text, line);
		text += "\r\n";
	}
	for (const std::vector<CIniSection*>* order : {&SectionOrder, &CreatedOrder})
	{
		for (const CIniSection* section : *order)
		{
			text += '[';
			appendOneLine(text, section->getName());
			text += "]\r\n";
			for (const CIniSection::SLine& line : section->getLines())
			{
				appendOneLine(text, line.text);
				if (!line.isComment)
				{
					text += " = ";
					appendOneLine(text, section->get(line.text));
				}
				text += "\r\n";
			}
		}
	}
	if (text.empty())
		return std::vector<irr::u8>();
	std::vector<irr::u8> bytes{0xEF, 0xBB, 0xBF};
	bytes.insert(bytes.end(), text.begin(), text.end());
	return bytes;
}

bool CIniFile::write(const ustring16& fileName, irr::io::IFileSystem* fileSystem) const
{
	if (!fileSystem)
		return false;
	const std::vector<irr::u8> bytes = compose();
	if (bytes.empty())
		return true;
	CFileBuffer buffer(bytes.data(), static_cast<irr::u32>(bytes.size()));
	buffer.setFileName(fileName);
	return buffer.save(fileSystem);
}

CIniSection* CIniFile::getSection(const ustring16& name)
{
	if (CIniSection* found = findSection(name))
		return found;
	Storage.emplace_back(new CIniSection(name));
	CIniSection* made = Storage.back().get();
	Sections[name] = made;
	CreatedOrder.push_back(made);
	return made;
}

CIniSection* CIniFile::findSection(const ustring16& name) const
{
	const auto found = Sections.find(name);
	return found == Sections.end() ? nullptr : found->second;
}

} // namespace orv
