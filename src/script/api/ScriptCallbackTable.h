#pragma once
// The declarations of the twelve script callbacks, with the decoders that turn
// a packet into each one's further arguments.

namespace orv::script {

class CScriptManager;
class IGameHost;

// Enters the twelve callbacks into the manager's table, without resolving
// any module. Update's time is the host's frame time (0 without a host).
void registerScriptCallbacks(CScriptManager& manager, IGameHost* host);

} // namespace orv::script
