#pragma once
// The device timer's time as of this moment. Irrlicht's timer moves only when
// the device's run() ticks it, once a frame: whatever a frame does after that
// (a level loaded, a package started) is not in its time until the next one.

#include <irrTypes.h>

namespace irr {
class IrrlichtDevice;
}

namespace orv {

//! Brings the device's timer up to the real time, then reads it; 0 without a
//! device. A frame clock restarted from this does not step the time before.
irr::u32 deviceTimeNow(irr::IrrlichtDevice* device);

} // namespace orv
