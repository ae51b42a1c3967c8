#pragma once
// The declarations of the twelve script callbacks, with the decoders that turn
// a packet into each one's further arguments.

namespace orv::script {

class CScriptManager;

// Enters the twelve callbacks into the manager's table, without resolving
// any module.
void registerScriptCallbacks(CScriptManager& manager);

} // namespace orv::script
