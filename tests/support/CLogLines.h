#pragma once
// The device's log lines, as Irrlicht hands them to the event receiver
// ("channel: message"), kept for a test to look at.

#include <string>
#include <vector>

#include <IEventReceiver.h>

namespace orv {
namespace test {

struct CLogLines : irr::IEventReceiver
{
	std::vector<std::string> lines;

	bool OnEvent(const irr::SEvent& event) override
	{
		if (event.EventType != irr::EET_LOG_TEXT_EVENT)
			return false;
		lines.push_back(event.LogEvent.Text);
		return true;
	}
	//! Lines that begin with the text.
	size_t count(const std::string& start) const
	{
		size_t n = 0;
		for (const std::string& line : lines)
			n += line.rfind(start, 0) == 0;
		return n;
	}
};

} // namespace test
} // namespace orv
