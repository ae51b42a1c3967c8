#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "engine_fixture.h"
#include "scene/CAnimation.h"
#include "support/CRecordingLogger.h"
#include "base/Log.h"

using namespace orv;

namespace {

// Records what the animation asks for; hands out no images and no sounds.
class CRecordingContent : public IAnimationContent
{
public:
	CImage* findImage(const irr::core::ustring16& name) override
	{
		images.push_back(name.toUTF8_std());
		return nullptr;
	}
	audio::IAudioSource* getSound(const irr::core::ustring16& name) override
	{
		sounds.push_back(name.toUTF8_std());
		return nullptr;
	}
	std::vector<std::string> images;
	std::vector<std::string> sounds;
};

// A device only for its file system, working in a folder of the test's own.
class AnimationFileTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		previousDirectory = std::filesystem::current_path();
		device = irr::createDevice(irr::video::EDT_NULL);
		ASSERT_NE(device, nullptr);
		device->getFileSystem()->changeWorkingDirectoryTo(folder.path().c_str());
	}
	void TearDown() override
	{
		if (device)
			device->drop();
		// The file system changed the process's directory to the folder, which goes.
		std::filesystem::current_path(previousDirectory);
	}

	// Null when the construction threw.
	std::unique_ptr<CAnimation> load(const std::string& name, const std::string& bytes)
	{
		folder.write(name, bytes);
		try
		{
			return std::make_unique<CAnimation>(irr::core::ustring16(name.c_str()), device->getFileSystem(), content);
		}
		catch (const std::exception&)
		{
			return nullptr;
		}
	}

	std::filesystem::path previousDirectory;
	test::CTempFolder folder;
	irr::IrrlichtDevice* device = nullptr;
	CRecordingContent content;
};

// "dirs=4 cont=0 loop=0 back=idle.gani sprites=1:0,0,32,32 frames=50[1@0,0|||];200[]"
// with the placements of each direction between '|' and each placement as
// sprite@x,y separated by ' '.
std::string describe(const CAnimation& animation)
{
	std::ostringstream out;
	out << "dirs=" << animation.getDirectionCount() << " cont=" << animation.isContinuous()
		<< " loop=" << animation.isLooping() << " back=" << animation.getSetBackTo().toUTF8_std() << " sprites=";
	bool first = true;
	for (const auto& entry : animation.getSprites())
	{
		const irr::core::rect<irr::s32>& r = entry.second.rect;
		out << (first ? "" : ";") << entry.first << ":" << r.UpperLeftCorner.X << "," << r.UpperLeftCorner.Y << ","
			<< r.LowerRightCorner.X << "," << r.LowerRightCorner.Y;
		first = false;
	}
	out << " frames=";
	first = true;
	for (const SAnimationFrame& frame : animation.getFrames())
	{
		out << (first ? "" : ";") << frame.duration << "[";
		for (size_t d = 0; d < frame.directions.size(); ++d)
		{
			out << (d ? "|" : "");
			for (size_t p = 0; p < frame.directions[d].size(); ++p)
			{
				const SSpritePlacement& placement = frame.directions[d][p];
				out << (p ? " " : "") << placement.sprite.toUTF8_std() << "@" << placement.x.toUTF8_std() << ","
					<< placement.y.toUTF8_std();
			}
		}
		out << "]";
		for (const SFrameSound& sound : frame.sounds)
			out << "{" << sound.x << "," << sound.y << "}";
		first = false;
	}
	return out.str();
}

const std::string SPRITE1 = "SPRITE 1 hero.png 0 0 32 32 body\n";

} // namespace

TEST_F(AnimationFileTest, RefusesFilesWithoutMagicOrText)
{
	struct Case
	{
		const char* what;
		std::string bytes;
	};
	const Case cases[] = {
		{"empty file", ""},
		{"shorter than the magic", "GANI000"},
		{"only the magic", "GANI0001"},
		{"wrong first byte", "HANI0001\nANI\n"},
		{"wrong last byte", "GANI0002\nANI\n"},
		{"lower case", "gani0001\nANI\n"},
	};
	for (const Case& c : cases)
		EXPECT_EQ(load("bad.gani", c.bytes), nullptr) << c.what;
	EXPECT_NE(load("sub/ok.gani", "GANI0001\n"), nullptr) << "a line end is text enough";
	try
	{
		CAnimation missing("nowhere.gani", device->getFileSystem(), content);
		ADD_FAILURE() << "a missing file gave an animation";
	}
	catch (const std::runtime_error&)
	{
	}
	// Larger than any animation read: the magic and a sparse tail.
	folder.write("huge.gani", "GANI0001\n");
	std::filesystem::resize_file(folder.path() + "huge.gani", (16u << 20) + 1);
	EXPECT_THROW(CAnimation("huge.gani", device->getFileSystem(), content), std::runtime_error);
}

TEST_F(AnimationFileTest, ParsesSpritesFramesAndKeywords)
{
	struct Case
	{
		const char* what;
		std::string text;
		const char* expected;
	};
	const Case cases[] = {
		{"seven-word sprite ignored", "SPRITE 1 hero.png 0 0 32 32\n", "dirs=4 cont=0 loop=0 back= sprites= frames="},
		{"eight-word sprite", SPRITE1, "dirs=4 cont=0 loop=0 back= sprites=1:0,0,32,32 frames="},
		{"words after the seventh unused, later sprite replaces",
			SPRITE1 + "SPRITE 1 b.png 5 6 10 20 a long description\n",
			"dirs=4 cont=0 loop=0 back= sprites=1:5,6,15,26 frames="},
		{"four directions make one frame, the fifth line begins the next",
			SPRITE1 + "ANI\n1 0 0\n1 1 1\n1 2 2\n1 3 3\n1 4 4\n1 5 5\n1 6 6\n1 7 7\nANIEND\n",
			"dirs=4 cont=0 loop=0 back= sprites=1:0,0,32,32 frames=50[1@0,0|1@1,1|1@2,2|1@3,3];"
			"50[1@4,4|1@5,5|1@6,6|1@7,7]"},
		{"single direction: every line a frame, one frame only is continuous",
			SPRITE1 + "SINGLEDIRECTION\nANI\n1 0 0\nANIEND\n",
			"dirs=1 cont=1 loop=0 back= sprites=1:0,0,32,32 frames=50[1@0,0]"},
		{"WAIT 0, 3 and none; WAIT after a frame's lines belongs to the next",
			SPRITE1 + "SINGLEDIRECTION\nANI\nWAIT 0\n1 0 0\nWAIT 3\n1 0 0\n1 0 0\nANIEND\n",
			"dirs=1 cont=0 loop=0 back= sprites=1:0,0,32,32 frames=50[1@0,0];200[1@0,0];50[1@0,0]"},
		{"negative and huge WAIT", SPRITE1 + "SINGLEDIRECTION\nANI\nWAIT -5\n1 0 0\nWAIT 99999999999\n1 0 0\nANIEND\n",
			"dirs=1 cont=0 loop=0 back= sprites=1:0,0,32,32 frames=0[1@0,0];4294967295[1@0,0]"},
		{"WAIT without a number ignored", SPRITE1 + "SINGLEDIRECTION\nANI\nWAIT 3\nWAIT\n1 0 0\n1 0 0\nANIEND\n",
			"dirs=1 cont=0 loop=0 back= sprites=1:0,0,32,32 frames=200[1@0,0];50[1@0,0]"},
		{"SETBACKTO with inner spaces, LOOP, CONTINUOUS",
			"SETBACKTO first\nSETBACKTO my  idle   walk\nLOOP\nCONTINUOUS\n",
			"dirs=4 cont=1 loop=1 back=my idle walk.gani sprites= frames="},
		{"SETBACKTO without a name clears", "SETBACKTO idle\nSETBACKTO\n",
			"dirs=4 cont=0 loop=0 back= sprites= frames="},
		{"ANI without ANIEND drops its unfinished frame", SPRITE1 + "ANI\n1 0 0\n1 0 0\n1 0 0\n1 0 0\n1 9 9\n",
			"dirs=4 cont=1 loop=0 back= sprites=1:0,0,32,32 frames=50[1@0,0|1@0,0|1@0,0|1@0,0]"},
		{"commas and spaces in frame lines; undefined sprite and unfinished triple dropped",
			SPRITE1 + "SPRITE 2 a.png 0 0 8 8 x\nSINGLEDIRECTION\nANI\n1,-3,4, 7 10 20,,2  5,6 2 1\nANIEND\n",
			"dirs=1 cont=1 loop=0 back= sprites=1:0,0,32,32;2:0,0,8,8 frames=50[1@-3,4 2@5,6]"},
		{"sprite words stay as written, numbers read like atoi",
			"SPRITE 3x hero.png 0 0 4 4 x\nSINGLEDIRECTION\nANI\n3 +1 1abc\n03 left top\nANIEND\n",
			"dirs=1 cont=0 loop=0 back= sprites=3:0,0,4,4 frames=50[3@+1,1abc];50[03@left,top]"},
		{"CR, CRLF and blank lines; unknown and ignored keywords",
			SPRITE1 +
				"\r\n\r\nCOLOREFFECT 1 2\rZOOMEFFECT\nSCRIPT\nsprite 2 x.png 0 0 1 1 y\r\nSINGLEDIRECTION\r\nANI\r\n\r\n1 0 0\r\nANIEND\r\n",
			"dirs=1 cont=1 loop=0 back= sprites=1:0,0,32,32 frames=50[1@0,0]"},
		{"PLAYSOUND in the frame under construction; missing x or y is 0; without a file ignored",
			SPRITE1 + "SINGLEDIRECTION\nANI\nPLAYSOUND step.wav 3 4\nPLAYSOUND hit.wav 7\nPLAYSOUND\n1 0 0\nANIEND\n",
			"dirs=1 cont=1 loop=0 back= sprites=1:0,0,32,32 frames=50[1@0,0]{3,4}{7,0}"},
		{"several blocks append; ANIEND discards the frame begun",
			SPRITE1 + "SINGLEDIRECTION\nANI\n1 0 0\nWAIT 1\nANIEND\nANI\n1 1 1\nANIEND\n",
			"dirs=1 cont=0 loop=0 back= sprites=1:0,0,32,32 frames=50[1@0,0];50[1@1,1]"},
		{"sprite sizes saturate", "SPRITE 1 a.png 2147483000 -5 99999 -2147483647 x\n",
			"dirs=4 cont=0 loop=0 back= sprites=1:2147483000,-5,2147483647,-2147483648 frames="},
	};
	for (const Case& c : cases)
	{
		std::unique_ptr<CAnimation> animation = load("a.gani", "GANI0001" + c.text);
		ASSERT_NE(animation, nullptr) << c.what;
		EXPECT_EQ(describe(*animation), c.expected) << c.what;
	}
}

TEST_F(AnimationFileTest, AsksTheEngineForImagesAndSoundsByName)
{
	std::unique_ptr<CAnimation> animation = load("a.gani",
		"GANI0001SPRITE 1 img/hero.png 0 0 1 1 x\nSPRITE 2 too short\nANI\nPLAYSOUND snd/step.wav 0 0\n"
		"ANIEND\n");
	ASSERT_NE(animation, nullptr);
	EXPECT_EQ(content.images, std::vector<std::string>{"img/hero.png"});
	EXPECT_EQ(content.sounds, std::vector<std::string>{"snd/step.wav"});
	EXPECT_EQ(animation->getName().toUTF8_std(), "a.gani");
}

TEST_F(AnimationFileTest, TextIsOneBytePerCharacter)
{
	std::unique_ptr<CAnimation> animation = load("a.gani",
		"GANI0001SPRITE 1 caf\xE9.png 0 0 1 1 x\n"
		"SETBACKTO \xFC"
		"ber\nSINGLEDIRECTION\nANI\nPLAYSOUND \xA9.wav 0 0\n"
		"1 \xB5 0\nANIEND\n");
	ASSERT_NE(animation, nullptr);
	EXPECT_EQ(content.images, std::vector<std::string>{"caf\u00e9.png"});
	EXPECT_EQ(content.sounds, std::vector<std::string>{"\u00a9.wav"});
	EXPECT_EQ(animation->getSetBackTo().toUTF8_std(), "\u00fcber.gani");
	ASSERT_EQ(animation->getFrames().size(), 1u);
	EXPECT_EQ(animation->getFrames()[0].directions[0].at(0).x.toUTF8_std(), "\u00b5");
}

TEST_F(AnimationFileTest, PlacementsAndFramesStopAtTheirCaps)
{
	test::CRecordingLogger logger;
	setLogger(&logger);
	std::string twentyFrames = SPRITE1 + "SINGLEDIRECTION\nANI\n";
	for (int line = 0; line < 20; ++line)
	{
		for (int i = 0; i < 3500; ++i)
			twentyFrames += "1 0 0 ";
		twentyFrames += "\n";
	}
	std::string oneFrame = SPRITE1 + "SINGLEDIRECTION\nANI\n";
	for (int i = 0; i < 5000; ++i)
		oneFrame += "1 0 0 ";
	std::string manyFrames = "GANI0001SINGLEDIRECTION\nANI\n";
	for (int i = 0; i < 70000; ++i)
		manyFrames += "x\n";
	std::string manySprites = "GANI0001";
	for (int i = 0; i < 70000; ++i)
		manySprites += "SPRITE " + std::to_string(i) + " a.png 0 0 1 1 x\n";
	struct Case
	{
		const char* name;
		std::string bytes;
		size_t frames;
		size_t placements;
		size_t sprites;
		const char* warning;
	} cases[] = {
		{"placements.gani", "GANI0001" + twentyFrames + "ANIEND\n", 20, 65536, 1,
			"Animation has more than 65536 sprite placements; the rest are dropped: \"placements.gani\""},
		{"direction.gani", "GANI0001" + oneFrame + "\nANIEND\n", 1, 4096, 1,
			"Animation has more than 4096 sprite placements in one direction of a frame; the rest are dropped: "
			"\"direction.gani\""},
		{"frames.gani", manyFrames, 65536, 0, 0,
			"Animation has more than 65536 frames; the rest are dropped: \"frames.gani\""},
		{"sprites.gani", manySprites, 0, 0, 65536,
			"Animation has more than 65536 sprites; the rest are dropped: \"sprites.gani\""},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		logger.lines.clear();
		std::unique_ptr<CAnimation> animation = load(c.name, c.bytes);
		ASSERT_NE(animation, nullptr);
		size_t placements = 0;
		for (const SAnimationFrame& frame : animation->getFrames())
			placements += frame.directions[0].size();
		EXPECT_EQ(animation->getFrames().size(), c.frames);
		EXPECT_EQ(placements, c.placements);
		EXPECT_EQ(animation->getSprites().size(), c.sprites);
		ASSERT_EQ(logger.lines.size(), 1u);
		EXPECT_EQ(logger.lines[0].text, "core");
		EXPECT_EQ(logger.lines[0].hint, c.warning);
		EXPECT_EQ(logger.lines[0].level, irr::ELL_WARNING);
	}
	setLogger(nullptr);
}

TEST_F(AnimationFileTest, FindsContentNamedWithBackslashesOrAnotherCase)
{
	folder.write("Ani/Walk/Hero.GANI", "GANI0001LOOP\n");
	for (const char* name : {"Ani/Walk/Hero.GANI", "ani\\walk\\hero.gani", "ANI/walk/hero.Gani"})
	{
		try
		{
			CAnimation animation(name, device->getFileSystem(), content);
			EXPECT_TRUE(animation.isLooping()) << name;
			EXPECT_EQ(animation.getName().toUTF8_std(), name) << "the name stays as asked";
		}
		catch (const std::exception&)
		{
			ADD_FAILURE() << name << " was not found";
		}
	}
}
