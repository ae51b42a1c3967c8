#include "base/DeviceClock.h"

#include <ITimer.h>
#include <IrrlichtDevice.h>

namespace orv {

irr::u32 deviceTimeNow(irr::IrrlichtDevice* device)
{
	irr::ITimer* timer = device ? device->getTimer() : nullptr;
	if (!timer)
		return 0;
	timer->tick();
	return timer->getTime();
}

} // namespace orv
