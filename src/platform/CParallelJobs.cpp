#include "platform/CParallelJobs.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace orv {
namespace platform {

struct CParallelJobs::SState
{
	std::mutex Lock;
	std::condition_variable Work;
	std::condition_variable Done;
	const std::function<void(unsigned)>* Job = nullptr;
	unsigned Count = 0;
	unsigned Next = 0;
	unsigned Unfinished = 0;
	// Moves on with every batch, so a helper takes each batch once.
	unsigned long long Batch = 0;
	bool Stopping = false;
	std::vector<std::thread> Helpers;

	// Takes and runs jobs of the present batch until none is left; called
	// with the lock held, returns with it held.
	void takeJobs(std::unique_lock<std::mutex>& held)
	{
		while (Next < Count)
		{
			const unsigned index = Next++;
			const std::function<void(unsigned)>& job = *Job;
			held.unlock();
			job(index);
			held.lock();
			if (--Unfinished == 0)
				Done.notify_all();
		}
	}

	void helper()
	{
		std::unique_lock<std::mutex> held(Lock);
		// Counted from before any batch: a helper that starts late still
		// joins the batch that is running.
		unsigned long long seen = 0;
		for (;;)
		{
			Work.wait(held, [&] { return Stopping || Batch != seen; });
			if (Stopping)
				return;
			seen = Batch;
			takeJobs(held);
		}
	}
};

CParallelJobs::CParallelJobs(unsigned helpers) : State(new SState)
{
	for (unsigned i = 0; i < helpers; ++i)
		State->Helpers.emplace_back([this] { State->helper(); });
}

CParallelJobs::~CParallelJobs()
{
	{
		std::lock_guard<std::mutex> held(State->Lock);
		State->Stopping = true;
	}
	State->Work.notify_all();
	for (std::thread& helper : State->Helpers)
		helper.join();
}

unsigned CParallelJobs::getHelperCount() const
{
	return static_cast<unsigned>(State->Helpers.size());
}

void CParallelJobs::run(unsigned count, const std::function<void(unsigned)>& job)
{
	if (count == 0)
		return;
	std::unique_lock<std::mutex> held(State->Lock);
	State->Job = &job;
	State->Count = count;
	State->Next = 0;
	State->Unfinished = count;
	++State->Batch;
	if (count > 1)
		State->Work.notify_all();
	State->takeJobs(held);
	State->Done.wait(held, [&] { return State->Unfinished == 0; });
	State->Job = nullptr;
	State->Count = 0;
}

unsigned CParallelJobs::suggestedHelpers(unsigned most)
{
	const unsigned threads = std::thread::hardware_concurrency();
	return std::min(most, threads > 1 ? threads - 1 : 0u);
}

} // namespace platform
} // namespace orv
