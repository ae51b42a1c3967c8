#pragma once
// A measure run in a child process of its own, so each starts from the same
// fresh heap and peak memory, not from what the one before it left.

#include <sys/wait.h>
#include <unistd.h>

namespace orv {
namespace bench {

//! The figures `measure` returns in the child; `failed` when the child
//! cannot be started or does not answer. The figures must be plain bytes.
//! `status`, when given, receives the child's wait status: what ended a
//! child that did not answer.
template <typename T, typename Measure> T inChild(Measure measure, const T& failed, int* status = nullptr)
{
	int channel[2];
	if (pipe(channel) != 0)
		return failed;
	const pid_t child = fork();
	if (child == 0)
	{
		close(channel[0]);
		const T made = measure();
		const bool written = write(channel[1], &made, sizeof made) == static_cast<ssize_t>(sizeof made);
		_exit(written ? 0 : 1);
	}
	close(channel[1]);
	T figures = failed;
	if (child < 0 || read(channel[0], &figures, sizeof figures) != static_cast<ssize_t>(sizeof figures))
		figures = failed;
	close(channel[0]);
	int ended = 0;
	if (child > 0)
		waitpid(child, &ended, 0);
	if (status)
		*status = ended;
	return figures;
}

} // namespace bench
} // namespace orv
