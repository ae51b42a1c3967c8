#pragma once
// Refused input, reported one way everywhere. What a package, a script or a
// server gives that the client will not take is dropped with one warning
// line on the channel of the part that refused it ("core", "level", "net",
// "script"), through the application's log (base/Log.h).
//
// A bound that a flood can reach thousands of times a frame says so once per
// kind: the first refusal of a kind is logged, the rest only counted, until
// the session that reached it ends and forgetRefusals() starts afresh.

#include <string>

namespace orv {

//! One warning line.
void reportRefusal(const char* channel, const std::string& line);

//! The line for the first refusal of `kind` since the last forgetRefusals();
//! later ones of that kind are counted, not logged. `kind` names the bound
//! ("net: objects", say); the line says what was refused and why.
void reportRefusalOnce(const char* channel, const char* kind, const std::string& line);

//! How many refusals of `kind` reportRefusalOnce saw since the last forget.
unsigned long countRefusals(const char* kind);

//! A new session reports each kind once again.
void forgetRefusals();

} // namespace orv
