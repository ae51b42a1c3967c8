// Batches of jobs on helper threads: every job runs exactly once, and the
// caller gets back only when all of them are done.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/CParallelJobs.h"

using orv::platform::CParallelJobs;

TEST(ParallelJobs, EveryJobRunsOnceBeforeRunReturns)
{
	struct Case
	{
		unsigned helpers;
		unsigned jobs;
	} cases[] = {{0, 5}, {1, 1}, {3, 2}, {3, 4}, {3, 17}};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(testing::Message() << c.helpers << " helpers, " << c.jobs << " jobs");
		CParallelJobs parallel(c.helpers);
		EXPECT_EQ(c.helpers, parallel.getHelperCount());
		for (int batch = 0; batch < 20; ++batch)
		{
			std::vector<std::atomic<int>> runs(c.jobs);
			parallel.run(c.jobs, [&](unsigned i) {
				// The slow first job keeps the caller waiting for it.
				if (i == 0)
					std::this_thread::sleep_for(std::chrono::milliseconds(2));
				++runs[i];
			});
			for (unsigned i = 0; i < c.jobs; ++i)
				ASSERT_EQ(1, runs[i].load()) << "job " << i << " of batch " << batch;
		}
	}
}

TEST(ParallelJobs, JobsRunBesideEachOther)
{
	CParallelJobs parallel(3);
	std::atomic<int> running{0};
	std::atomic<bool> met{false};
	parallel.run(4, [&](unsigned) {
		++running;
		// Each job waits a while for company; on a busy machine a helper may
		// take some time to get a turn.
		const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
		while (!met && std::chrono::steady_clock::now() < giveUp)
		{
			if (running.load() > 1)
				met = true;
			std::this_thread::sleep_for(std::chrono::milliseconds(1));
		}
		--running;
	});
	EXPECT_TRUE(met.load()) << "no two jobs ever ran at once";
}
