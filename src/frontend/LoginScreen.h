#pragma once
// The login and options screen: one window with the tabs "Offline" (the
// packages), "Online" (the server and the user) and "Options" (the
// language). Every text passes through the current string table.

namespace irr {
class IrrlichtDevice;
}

namespace orv {

class CLoginEventReceiver;
struct SLoginScreen;

//! Builds the screen, fills the package list and the receiver's fields,
//! installs the receiver as the device's event receiver and shows the first
//! package, when there is one.
void buildLoginScreen(irr::IrrlichtDevice* device, CLoginEventReceiver& receiver);

//! Sets the labels' and buttons' texts in the current language; the tabs keep
//! the language they were built in.
void retranslateLoginScreen(const SLoginScreen& screen);

} // namespace orv
