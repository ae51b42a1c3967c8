#include <gtest/gtest.h>

#include "base/Log.h"
#include "base/Refusal.h"
#include "support/CRecordingLogger.h"

namespace orv {
namespace {

TEST(Refusal, EachKindSaysSoOnceUntilForgotten)
{
	test::CRecordingLogger logger;
	setLogger(&logger);
	forgetRefusals();
	for (int i = 0; i < 3; ++i)
	{
		reportRefusalOnce("net", "objects", "too many objects");
		reportRefusalOnce("net", "classes", "too many classes");
	}
	reportRefusal("level", "a plain refusal");
	ASSERT_EQ(3u, logger.lines.size());
	EXPECT_EQ("net", logger.lines[0].text);
	EXPECT_EQ("too many objects", logger.lines[0].hint);
	EXPECT_EQ(irr::ELL_WARNING, logger.lines[0].level);
	EXPECT_EQ("too many classes", logger.lines[1].hint);
	EXPECT_EQ("a plain refusal", logger.lines[2].hint);
	EXPECT_EQ(3u, countRefusals("objects"));

	forgetRefusals();
	EXPECT_EQ(0u, countRefusals("objects"));
	reportRefusalOnce("net", "objects", "too many objects");
	EXPECT_EQ(4u, logger.lines.size());
	setLogger(nullptr);
}

} // namespace
} // namespace orv
