#pragma once

#include <IEventReceiver.h>

namespace orv {

//! The window's input during play: keeps the engine's key states and queues
//! key presses and mouse input for the scripts.
/** Never consumes an event, so the GUI and the scene still see every one.
    While no game runs (the receiver stays installed after a lost
    connection) it only keeps the key states: nothing would take the records
    off the queue. */
class CGameEventReceiver : public irr::IEventReceiver
{
public:
	~CGameEventReceiver() override = default;

	//! Always false.
	bool OnEvent(const irr::SEvent& event) override;
};

} // namespace orv
