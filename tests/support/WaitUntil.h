#pragma once
// Tests wait for what they check, never for a fixed time: a loaded machine
// only takes longer, and the one deadline ends nothing but a broken run.

#include <chrono>
#include <functional>
#include <thread>

namespace orv {
namespace test {

//! Long enough that no machine, however busy, reaches it on a working run.
constexpr int kGenerousTimeoutMs = 30000;

//! Polls until done() holds; false only when the deadline passed first.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = kGenerousTimeoutMs, int pollMs = 5)
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
	while (!done())
	{
		if (std::chrono::steady_clock::now() >= deadline)
			return done();
		std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
	}
	return true;
}

} // namespace test
} // namespace orv
