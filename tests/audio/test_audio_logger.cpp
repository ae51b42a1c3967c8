#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AudioTestSupport.h"
#include "audio/CConsoleLogReceiver.h"
#include "audio/ILogger.h"

using namespace orv::audio;
using orv::test::CAudioLogCapture;

TEST(AudioLogger, LevelsBelowTheMinimumAreDropped)
{
	struct Case
	{
		ELogLevel minimum;
		ELogLevel level;
		bool delivered;
	} cases[] = {
		{ELL_INFO, ELL_DEBUG, false},
		{ELL_INFO, ELL_INFO, true},
		{ELL_INFO, ELL_CRITICAL, true},
		{ELL_ERROR, ELL_WARNING, false},
		{ELL_ERROR, ELL_CRITICAL, true},
		{ELL_ERROR, ELL_ERROR, true},
		{ELL_DEBUG, ELL_DEBUG, true},
		{ELL_CRITICAL, ELL_ERROR, false},
	};
	ILogger* logger = getLogger();
	for (const Case& c : cases)
	{
		CAudioLogCapture log(c.minimum);
		switch (c.level)
		{
		case ELL_DEBUG:
			logger->logDebug("Test", "line %d", 1);
			break;
		case ELL_INFO:
			logger->logInfo("Test", "line %d", 1);
			break;
		case ELL_WARNING:
			logger->logWarning("Test", "line %d", 1);
			break;
		case ELL_ERROR:
			logger->logError("Test", "line %d", 1);
			break;
		case ELL_CRITICAL:
			logger->logCritical("Test", "line %d", 1);
			break;
		}
		EXPECT_EQ(log.has(c.level, "line 1"), c.delivered) << c.minimum << " " << c.level;
		EXPECT_EQ(log.lines().size(), c.delivered ? 1u : 0u);
	}
	EXPECT_EQ(logger->getLogLevel(), ELL_INFO);
}

TEST(AudioLogger, ConsoleLinesNameTheLevel)
{
	ILogger* logger = getLogger();
	testing::internal::CaptureStdout();
	logger->logDebug("AudioManager", "hidden");
	logger->logInfo("AudioManager", "Audio Source (%s) successfully created from memory.", "boom");
	logger->setLogLevel(ELL_ERROR);
	logger->logWarning("AudioManager", "hidden too");
	logger->logCritical("Audio Source", "OpenAL Error: %s.", "Out of Memory");
	logger->setLogLevel(ELL_INFO);
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
		"[Information] Audio Source (boom) successfully created from memory.\n"
		"[Critical] OpenAL Error: Out of Memory.\n");
}

TEST(AudioLogger, LongMessagesAreCutTo2047Characters)
{
	CAudioLogCapture log;
	const std::string text(3000, 'x');
	getLogger()->logInfo("Test", "%s", text.c_str());
	ASSERT_EQ(log.lines().size(), 1u);
	EXPECT_EQ(log.lines()[0].message, text.substr(0, 2047));
	EXPECT_EQ(log.senders()[0], "Test");
}

TEST(AudioLogger, ReceiversByName)
{
	ILogger* logger = getLogger();
	ILogReceiver* console = logger->getLogReceiver("Console");
	ASSERT_NE(console, nullptr);
	EXPECT_TRUE(logger->isLogReceiverRegistered("Console"));

	// A second receiver under "Console" takes the console's place.
	CAudioLogCapture capture;
	logger->registerLogReceiver(&capture, "Console");
	testing::internal::CaptureStdout();
	logger->logInfo("Test", "only once");
	EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
	EXPECT_EQ(capture.lines().size(), 2u); // under both of its names

	logger->registerLogReceiver(console, "Console");
	logger->unregisterLogReceiver("Missing");
	EXPECT_FALSE(logger->isLogReceiverRegistered("Missing"));
	EXPECT_EQ(logger->getLogReceiver("Missing"), nullptr);
	EXPECT_EQ(logger->getLogReceiver("Console"), console);
}

namespace {

// Counts what it hears, and may change the receivers while it hears it.
struct SListChangingReceiver : ILogReceiver
{
	int lines = 0;
	std::vector<std::string> unregisters;
	bool OnLogMessage(const char*, const char*, ELogLevel, float) override
	{
		++lines;
		for (const std::string& name : unregisters)
			getLogger()->unregisterLogReceiver(name.c_str());
		return true;
	}
};

} // namespace

TEST(AudioLogger, ReceiversMayUnregisterWhileHearing)
{
	struct Case
	{
		const char* name;
		std::vector<std::string> unregisters;
		int firstLines;
		int secondLines;
	} cases[] = {
		{"itself", {"A first"}, 1, 2},
		{"the one after it", {"B second"}, 2, 0},
		{"both", {"A first", "B second"}, 1, 0},
	};
	ILogger* logger = getLogger();
	for (const Case& c : cases)
	{
		SListChangingReceiver first, second;
		first.unregisters = c.unregisters;
		logger->registerLogReceiver(&first, "A first");
		logger->registerLogReceiver(&second, "B second");
		logger->logInfo("Test", "one");
		logger->logInfo("Test", "two");
		EXPECT_EQ(first.lines, c.firstLines) << c.name;
		EXPECT_EQ(second.lines, c.secondLines) << c.name;
		logger->unregisterLogReceiver("A first");
		logger->unregisterLogReceiver("B second");
	}
}
