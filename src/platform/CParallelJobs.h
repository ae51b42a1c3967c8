#pragma once
// A few helper threads that run a batch of independent jobs beside the
// calling thread, which takes its share and returns once every job is done.
// Work that must finish within a frame but splits into pieces (the blocks of
// one flush) spreads over the machine's cores this way.

#include <functional>
#include <memory>

namespace orv {
namespace platform {

class CParallelJobs
{
public:
	//! Starts the helpers at once; with none every batch runs on the caller.
	explicit CParallelJobs(unsigned helpers);
	//! Waits for the helpers to end.
	~CParallelJobs();
	CParallelJobs(const CParallelJobs&) = delete;
	CParallelJobs& operator=(const CParallelJobs&) = delete;

	unsigned getHelperCount() const;
	//! Runs job(0) to job(count - 1), each once, on the helpers and on the
	//! calling thread in any order; returns when all have finished. Jobs must
	//! not share what they write. One batch at a time.
	void run(unsigned count, const std::function<void(unsigned)>& job);

	//! Helpers worth starting here: the machine's hardware threads less the
	//! caller's, at most `most`.
	static unsigned suggestedHelpers(unsigned most);

private:
	struct SState;
	std::unique_ptr<SState> State;
};

} // namespace platform
} // namespace orv
