#include "scene/CAnimation.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include <IFileSystem.h>
#include <IReadFile.h>

#include "base/LeadingInteger.h"
#include "base/WholeFile.h"
#include "scene/AnimationMemory.h"
#include "scene/ContentPath.h"
#include "base/Refusal.h"

namespace orv {

namespace {

const char MAGIC[] = "GANI0001";
const size_t MAGIC_SIZE = 8;
// The largest animation file read: far more text than the bounds below let
// through.
const size_t MAX_ANIMATION_FILE_SIZE = 16u << 20;
const irr::u32 DEFAULT_DURATION_MS = 50;
// Every placement becomes a scene node of every object that plays the
// animation, and every frame a list per direction: a few MB of text would
// otherwise make hundreds of MB of nodes.
const size_t MAX_PLACEMENTS = 65536;
const size_t MAX_FRAMES = 65536;
const size_t MAX_SPRITES = 65536;
// Each object holds the sprite nodes of the frame it shows; a frame of more
// would cost megabytes on every object that plays it.
const size_t MAX_PLACEMENTS_PER_DIRECTION = 4096;

// Words point into the file's text.
struct SWord
{
	const char* begin;
	size_t length;

	irr::s32 number() const { return readLeadingInteger(begin, length); }
	// The format is one byte per character (Latin-1), not UTF-8.
	irr::core::ustring16 text() const
	{
		std::u16string units(length, u'\0');
		for (size_t i = 0; i < length; ++i)
			units[i] = static_cast<unsigned char>(begin[i]);
		return irr::core::ustring16(units);
	}
	bool is(const char* keyword) const
	{
		return length == std::strlen(keyword) && std::memcmp(begin, keyword, length) == 0;
	}
};

typedef std::vector<SWord> Words;

// Runs of separators count as one; no empty words. The words point into the
// line, which points into the file's text: nothing is copied.
void splitWords(const char* begin, const char* end, bool commasToo, Words& words)
{
	words.clear();
	const auto separates = [commasToo](char c) { return c == ' ' || (commasToo && c == ','); };
	const char* i = begin;
	while (i < end)
	{
		while (i < end && separates(*i))
			++i;
		const char* word = i;
		while (i < end && !separates(*i))
			++i;
		if (i > word)
			words.push_back({word, static_cast<size_t>(i - word)});
	}
}

// The next line of [at, end) without its ending, skipping empty ones; false
// at the end of the text.
bool nextLine(const char*& at, const char* end, const char*& lineBegin, const char*& lineEnd)
{
	while (at < end && (*at == '\r' || *at == '\n'))
		++at;
	if (at == end)
		return false;
	lineBegin = at;
	while (at < end && *at != '\r' && *at != '\n')
		++at;
	lineEnd = at;
	return true;
}

irr::s32 clampToS32(long long value)
{
	if (value > std::numeric_limits<irr::s32>::max())
		return std::numeric_limits<irr::s32>::max();
	if (value < std::numeric_limits<irr::s32>::min())
		return std::numeric_limits<irr::s32>::min();
	return static_cast<irr::s32>(value);
}

// "WAIT n" lasts n + 1 steps of 50 ms; below zero there is nothing to wait.
irr::u32 waitDuration(irr::s32 steps)
{
	const long long ms = (static_cast<long long>(steps) + 1) * DEFAULT_DURATION_MS;
	if (ms < 0)
		return 0;
	if (ms > std::numeric_limits<irr::u32>::max())
		return std::numeric_limits<irr::u32>::max();
	return static_cast<irr::u32>(ms);
}

SAnimationFrame newFrame(irr::u32 directionCount)
{
	SAnimationFrame frame;
	frame.directions.resize(directionCount);
	frame.duration = DEFAULT_DURATION_MS;
	return frame;
}

// What the text of a placement holds beside the placement itself.
size_t textBytes(const irr::core::ustring16& text)
{
	return sizeof(std::u16string) + 2 * static_cast<size_t>(text.size_raw());
}

// What a finished frame holds: itself, its lists and the placements' texts.
size_t frameBytes(const SAnimationFrame& frame)
{
	size_t bytes = sizeof(SAnimationFrame) + frame.directions.capacity() * sizeof(frame.directions[0]) +
		frame.sounds.capacity() * sizeof(SFrameSound);
	for (const std::vector<SSpritePlacement>& placements : frame.directions)
	{
		bytes += placements.capacity() * sizeof(SSpritePlacement);
		for (const SSpritePlacement& placement : placements)
			bytes += textBytes(placement.sprite) + textBytes(placement.x) + textBytes(placement.y);
	}
	return bytes;
}

// A sprite's entry in the map: the value and the tree node's links.
const size_t SPRITE_BYTES = sizeof(std::pair<const irr::u32, SAnimationSprite>) + 4 * sizeof(void*);

} // namespace

CAnimation::CAnimation(const irr::core::ustring16& name, irr::io::IFileSystem* fileSystem, IAnimationContent& content)
	: Name(name)
{
	load(fileSystem, content);
}

CAnimation::~CAnimation()
{
	giveAnimationMemory(HeldBytes);
}

void CAnimation::load(irr::io::IFileSystem* fileSystem, IAnimationContent& content)
{
	irr::io::IReadFile* file = openContentFile(fileSystem, Name);
	if (!file)
		throw std::runtime_error("animation file not found");

	std::string bytes;
	const EWholeFileRead read = readWholeFile(file, MAX_ANIMATION_FILE_SIZE, bytes);
	file->drop();
	if (read == EWFR_REFUSED)
		throw std::runtime_error("animation file too large");
	if (bytes.size() < MAGIC_SIZE || std::memcmp(bytes.data(), MAGIC, MAGIC_SIZE) != 0)
		throw std::runtime_error("not an animation file");
	if (!parse(bytes.data() + MAGIC_SIZE, bytes.size() - MAGIC_SIZE, content))
		throw std::runtime_error("empty animation file");
}

bool CAnimation::parse(const char* text, size_t size, IAnimationContent& content)
{
	if (size == 0)
		return false;

	DirectionCount = 4;
	bool inBlock = false;
	SAnimationFrame frame;
	irr::u32 direction = 0;
	irr::u32 completedFrames = 0;
	size_t placementCount = 0;
	bool placementsDropped = false;
	bool directionPlacementsDropped = false;
	bool framesDropped = false;
	bool spritesDropped = false;
	// Once the bound of all animations refused, nothing more is asked of it.
	bool memoryFull = false;
	Words words;

	const char* at = text;
	const char* const end = at + size;
	const char* lineBegin = nullptr;
	const char* lineEnd = nullptr;
	while (nextLine(at, end, lineBegin, lineEnd))
	{
		if (inBlock)
		{
			splitWords(lineBegin, lineEnd, true, words);
			if (words.empty())
				continue;
			const SWord& first = words[0];
			if (first.is("ANIEND"))
			{
				inBlock = false;
			}
			else if (first.is("WAIT"))
			{
				if (words.size() >= 2)
					frame.duration = waitDuration(words[1].number());
			}
			else if (first.is("PLAYSOUND"))
			{
				if (words.size() >= 2)
				{
					SFrameSound sound;
					sound.source = content.getSound(words[1].text());
					sound.x = words.size() >= 3 ? words[2].number() : 0;
					sound.y = words.size() >= 4 ? words[3].number() : 0;
					frame.sounds.push_back(sound);
				}
			}
			else
			{
				std::vector<SSpritePlacement>& placements = frame.directions[direction];
				for (size_t i = 0; i + 3 <= words.size(); i += 3)
				{
					const irr::u32 id = static_cast<irr::u32>(words[i].number());
					if (!Sprites.count(id))
						continue;
					if (placementCount == MAX_PLACEMENTS)
					{
						placementsDropped = true;
						break;
					}
					if (placements.size() == MAX_PLACEMENTS_PER_DIRECTION)
					{
						directionPlacementsDropped = true;
						break;
					}
					placements.push_back({words[i].text(), words[i + 1].text(), words[i + 2].text()});
					++placementCount;
				}
				if (++direction >= frame.directions.size())
				{
					if (Frames.size() >= MAX_FRAMES)
					{
						framesDropped = true;
					}
					else if (!memoryFull)
					{
						const size_t bytes = frameBytes(frame);
						if (takeAnimationMemory(bytes))
						{
							HeldBytes += bytes;
							Frames.push_back(std::move(frame));
						}
						else
						{
							memoryFull = true;
						}
					}
					++completedFrames;
					frame = newFrame(DirectionCount);
					direction = 0;
				}
			}
			continue;
		}

		splitWords(lineBegin, lineEnd, false, words);
		if (words.empty())
			continue;
		const SWord& first = words[0];
		if (first.is("SPRITE"))
		{
			if (words.size() < 8)
				continue;
			const irr::u32 id = static_cast<irr::u32>(words[1].number());
			auto sprite = Sprites.find(id);
			if (sprite == Sprites.end())
			{
				if (Sprites.size() >= MAX_SPRITES)
				{
					spritesDropped = true;
					continue;
				}
				if (memoryFull || !takeAnimationMemory(SPRITE_BYTES))
				{
					memoryFull = true;
					continue;
				}
				HeldBytes += SPRITE_BYTES;
				sprite = Sprites.emplace(id, SAnimationSprite()).first;
			}
			sprite->second.image = content.findImage(words[2].text());
			const irr::s32 x = words[3].number();
			const irr::s32 y = words[4].number();
			sprite->second.rect = irr::core::rect<irr::s32>(x, y,
				clampToS32(static_cast<long long>(x) + words[5].number()),
				clampToS32(static_cast<long long>(y) + words[6].number()));
		}
		else if (first.is("LOOP"))
		{
			Loop = true;
		}
		else if (first.is("CONTINUOUS"))
		{
			Continuous = true;
		}
		else if (first.is("SINGLEDIRECTION"))
		{
			DirectionCount = 1;
		}
		else if (first.is("SETBACKTO"))
		{
			SetBackTo = irr::core::ustring16();
			if (words.size() < 2)
				continue;
			for (size_t i = 1; i < words.size(); ++i)
			{
				if (i > 1)
					SetBackTo += ' ';
				SetBackTo += words[i].text();
			}
			SetBackTo += irr::core::ustring16(".gani");
		}
		else if (first.is("ANI"))
		{
			inBlock = true;
			frame = newFrame(DirectionCount);
			direction = 0;
		}
	}

	if (completedFrames == 1)
		Continuous = true;
	if (placementsDropped)
		warn("Animation has more than 65536 sprite placements; the rest are dropped:");
	if (directionPlacementsDropped)
		warn("Animation has more than 4096 sprite placements in one direction of a frame; the rest are dropped:");
	if (framesDropped)
		warn("Animation has more than 65536 frames; the rest are dropped:");
	if (spritesDropped)
		warn("Animation has more than 65536 sprites; the rest are dropped:");
	return true;
}

void CAnimation::warn(const char* what) const
{
	const std::string line = std::string(what) + " \"" + Name.toUTF8_std() + "\"";
	reportRefusal("core", line);
}

} // namespace orv
