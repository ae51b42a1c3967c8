#pragma once
// What scripts leave to the script engine's collector, kept to a bounded
// cost. The collector frees an object once it alone holds it, one pass over
// all its objects at a time: a chain whose every release frees an object
// earlier in its list takes one pass per link (bench/script/bench_script_gc).

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

//! Lets go of every handle a script object the collector holds keeps, and
//! empties every array it holds, so that the next full collection frees all
//! that nothing else holds in one pass, whatever their order. Only for when
//! no script will look at those objects again (the close, past its budget):
//! a destructor that ran after it would find its handles null.
void releaseScriptObjectLinks(AngelScript::asIScriptEngine* engine);

} // namespace orv::script
