#pragma once
// What scripts leave to the script engine's collector, kept to a bounded
// cost. The collector frees an object once it alone holds it, one pass over
// all its objects at a time: a chain whose every release frees an object
// earlier in its list takes one pass per link (bench/script/bench_script_gc).
// Its search for circles takes all that circles hold at once, but never
// what hangs from an object it alone holds, so such chains are let go of
// here, link by link, before its passes.

#include <chrono>

#include <irrTypes.h>

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

//! Lets go of the handles held by garbage no script can observe any more:
//! objects only the collector holds, of classes with no destructor, and
//! what they alone hold (through handles, value members and arrays), down
//! to the last link. Nothing is freed and no script runs; the next pass of
//! the collector frees all it reached at once. Linear in what the collector
//! holds. Returns the objects whose links it let go of.
irr::u32 releaseGarbageLinks(AngelScript::asIScriptEngine* engine);

//! Collects what scripts left: finds the garbage in circles, lets go of the
//! links of garbage no destructor can observe, and frees, pass after pass,
//! until a pass frees nothing (true) or the deadline is past (false). Each
//! pass costs what the collector holds; a chain of objects with destructors
//! takes a pass per link, the rest one pass in all.
bool collectScriptGarbage(AngelScript::asIScriptEngine* engine, std::chrono::steady_clock::time_point deadline);

//! The collector's work of one frame, SCRIPT_COLLECT_FRAME_STEPS of its
//! steps or a SCRIPT_COLLECT_FRAME_SHARE-th of what it holds, whichever is
//! more: in turns, the walk above over as many of its objects, from where
//! the last frame stopped, with as many steps freeing garbage; and, once the
//! walk went round, steps of its search for circles. A chain is freed a few
//! frames after scripts let go of it, whether or not they make more, and
//! circles some frames later, at a cost that grows with what the collector
//! holds, never with the shape of the garbage.
const irr::u32 SCRIPT_COLLECT_FRAME_STEPS = 4096;
const irr::u32 SCRIPT_COLLECT_FRAME_SHARE = 8;
struct SFrameCollection
{
	//! Where in the collector's objects the walk goes on from.
	irr::u32 NextObject = 0;
	//! Steps of the search for circles before the walk's next round.
	irr::u32 SearchStepsLeft = 0;
};
void collectScriptGarbageInFrame(AngelScript::asIScriptEngine* engine, SFrameCollection& state);

//! A full collection, however long it takes: only once the links are let
//! go of (releaseScriptObjectLinks), when it is one pass.
void collectAllScriptGarbage(AngelScript::asIScriptEngine* engine);

//! Shuts the engine down. Its last collection may free objects halfway
//! through a destructor's run: no walk above runs until it is over.
void shutDownScriptEngine(AngelScript::asIScriptEngine* engine);

//! Lets go of every handle a script object the collector holds keeps, and
//! empties every array it holds, so that the next full collection frees all
//! that nothing else holds in one pass, whatever their order. Only for when
//! no script will look at those objects again (the close, past its budget):
//! a destructor that ran after it would find its handles null.
void releaseScriptObjectLinks(AngelScript::asIScriptEngine* engine);

} // namespace orv::script
