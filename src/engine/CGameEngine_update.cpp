#include "engine/CGameEngine.h"

#include <ITimer.h>

namespace orv {

bool CGameEngine::update()
{
	// Window messages; input reaches the installed receiver now.
	if (!Device || !Device->run() || !VideoDriver)
		return false;

	// The connection: a lost one ends the frame here.
	if (Online && !updateNetwork())
		return true;

	// While no game runs, queued input waits and the world stands still.
	if (!GameRunning)
		return true;

	LastFrameTime = Device->getTimer()->getTime();
	return true;
}

} // namespace orv
