#pragma once
// Puts the client's own functions under some of a prebuilt add-on's
// declarations. AngelScript cannot replace a function once it is registered
// and the add-ons come compiled, so the add-on registers through an engine
// face that passes everything on except the registrations to swap.

#include <angelscript.h>

#include <functional>
#include <vector>

namespace orv::script {

//! One registration to swap: the object as the add-on names it, a method
//! name (or null and the behaviour), the parameter count and, where two
//! overloads share a count, a piece of text the declaration holds.
struct SRegistrationSwap
{
	const char* Object;
	const char* Method;
	AngelScript::asEBehaviours Behaviour; // read only when Method is null
	int ParameterCount;
	const char* Holds;
	AngelScript::asGENFUNC_t Replacement;
};

//! Runs `registrar` on `engine`, registering each swap's replacement with the
//! generic convention (which every build supports) under the add-on's own
//! declaration. Returns the swaps no registration matched: an add-on that
//! changed its declarations would otherwise keep its own functions unseen.
std::vector<SRegistrationSwap> registerWithSwaps(AngelScript::asIScriptEngine* engine,
	const std::function<void(AngelScript::asIScriptEngine*)>& registrar, const std::vector<SRegistrationSwap>& swaps);

//! The number of parameters a declaration lists (defaults and nested
//! parentheses inside it allowed).
int countParameters(const char* declaration);

} // namespace orv::script
